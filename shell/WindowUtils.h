// Window utilities shared by every window: centring on the screen, a pause
// that keeps the user interface running, and twips.
#pragma once

#include <cstdint>

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace qd {

// Window measures are designed in twips (1/1440 inch): 15 twips a pixel.
inline constexpr int kTwipsPerPixel = 15;
int TwipsToPixels(float twips);
QRect TwipsRect(int left, int top, int width, int height);

// The top-left corner, in twips, that centres a window of `window` twips on
// a screen of `screen` twips, 50 twips above the exact centre.
struct TwipsPosition {
    float left;
    float top;
};
TwipsPosition CenteredPosition(QSize screenTwips, QSize windowTwips);

// Places the window in the middle of its screen, slightly above the centre,
// with its painting frozen and the hourglass showing meanwhile.
void CenterForm(QWidget* form);

// Waits `seconds` seconds while window messages keep running.
void Pause(std::int16_t seconds);

}  // namespace qd
