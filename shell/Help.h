// Help topics of controls and windows, and opening help for the focused control.
#pragma once

class QWidget;

namespace qd {

// Gives a control or window a help context number (0: none of its own).
void SetHelpContextID(QWidget* widget, int topic);
int HelpContextID(const QWidget* widget);

// The help topic of the control: its own, or that of the nearest container
// (up to and including its window) that has one; 0 when none has.
int HelpTopicFor(const QWidget* widget);

// Opens the application help file at the topic, or at its contents for 0.
void ShowHelpTopic(int topic);

// Sends the F1 key to the focused control of the active window, without
// waiting for it to be handled, as if the user had pressed it.
void PostHelpKey();

}  // namespace qd
