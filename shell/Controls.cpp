#include "shell/Controls.h"

#include <QFont>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace qd {

namespace {
constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
constexpr int kCaptionMargin = 4;
}  // namespace

void InstallFontSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

QFont SansSerifFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont ArialFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

CommandButton::CommandButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) { }

void CommandButton::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    area = area.adjusted(kCaptionMargin / 2, 0, -kCaptionMargin / 2, 0);
    if (isDown() || isChecked())
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    painter.drawItemText(area, kCaptionFlags, palette(), isEnabled(), caption, QPalette::ButtonText);
}

CaptionLabel::CaptionLabel(const QString& caption, QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setCaption(caption);
}

void CaptionLabel::setCaption(const QString& caption)
{
    caption_ = caption;
    QString shown = caption;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setText(shown);
}

OptionButton::OptionButton(QWidget* parent) : QRadioButton(parent) { }

void OptionButton::setCaption(const QString& caption)
{
    QString escaped = caption;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    setText(escaped);
}

QString OptionButton::caption() const
{
    QString caption = text();
    caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return caption;
}

bool OptionButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void OptionButton::setValue(bool selected)
{
    const bool exclusive = autoExclusive();
    setAutoExclusive(false);
    setChecked(selected);
    setAutoExclusive(exclusive);
}

}  // namespace qd
