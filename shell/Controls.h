// The controls the windows are built from, with the behaviour the program
// expects of them, and the fonts they are designed for.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

namespace qd {

// The windows are designed for "MS Sans Serif" and "Arial"; this desktop
// shows them in metric-compatible free fonts.
void InstallFontSubstitutes();
QFont SansSerifFont(double pointSize, bool bold);
QFont ArialFont(double pointSize, bool bold);

// A command button whose caption wraps onto a second line, centred, when it
// does not fit on one. The caption keeps its "&" access key.
class CommandButton : public QPushButton {
    Q_OBJECT

public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label that shows its caption as plain text, whatever it contains, with
// CR LF (or a lone CR or LF) as a line break. caption() gives back the text
// exactly as it was set. A label that names another control (its buddy)
// shows an "&" as an ampersand too.
class CaptionLabel : public QLabel {
    Q_OBJECT

public:
    explicit CaptionLabel(const QString& caption = {}, QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    const QString& caption() const { return caption_; }

private:
    QString caption_;
};

// An option button whose caption is shown literally: an "&" in it is an
// ampersand, not an access key. A screen reader hears the caption as its
// name (an empty option has none); the frame it sits in is not its label.
class OptionButton : public QRadioButton {
    Q_OBJECT

public:
    explicit OptionButton(QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    QString caption() const;
    // Sets the selected state from the program; no click is raised and the
    // other options of the group are left alone.
    void setValue(bool selected);

protected:
    // The whole width of the option answers a click, not only its text.
    bool hitButton(const QPoint& pos) const override;
};

// The frame around a group of option buttons. Its title names the group: a
// screen reader says it once, on entering the group, and not as the label
// of each option (which it would repeat on every arrow key).
class OptionFrame : public QGroupBox {
    Q_OBJECT

public:
    explicit OptionFrame(const QString& title, QWidget* parent = nullptr);
};

// A single-selection list box: the user moves the selection, but neither
// Ctrl+Space nor Ctrl+click removes it. The selected row is always the
// current one, however it was selected (a screen reader's Toggle action
// included), and a screen reader hears the current row whenever the list
// takes the focus.
class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void keepSelectionCurrent();
    void announceCurrentRow();
};

// Has a screen reader present the control that has the focus as if it had
// just taken it: its name, role, state and, for a text, the line at the
// caret. A screen reader passes over a focus event for the object it is
// already on, so the control is offered to it as a new object first. For a
// control whose content or state the program changed while it kept the
// focus; nothing happens when it has none.
void PresentFocusAgain(QWidget* control);

}  // namespace qd
