#include "shell/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFont>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace qd {

namespace {

constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
constexpr int kCaptionMargin = 4;

// What a screen reader sees of an option button: a radio button named by its
// caption alone, labelled by its frame's title (as the frame is the label
// of each option it holds), that can be ticked through its Toggle action.
class AccessibleOption : public QAccessibleWidget {
public:
    explicit AccessibleOption(OptionButton* option) : QAccessibleWidget(option, QAccessible::RadioButton) { }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = option().isChecked();
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind != QAccessible::Name)
            return QAccessibleWidget::text(kind);
        const QString name = option().accessibleName();
        return name.isEmpty() ? option().caption() : name;
    }

    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override
    {
        QList<QPair<QAccessibleInterface*, QAccessible::Relation>> found = QAccessibleWidget::relations(match);
        found.removeIf([this](const auto& relation) {
            return relation.second == QAccessible::Label && relation.first->object() == option().parent();
        });
        return found;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (option().isEnabled())
            names << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == toggleAction()) {
            if (option().isEnabled())
                option().toggle();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    OptionButton& option() const { return *static_cast<OptionButton*>(widget()); }
};

// An option frame: a group named by its title, the label of none of its options.
class AccessibleOptionFrame : public QAccessibleWidget {
public:
    explicit AccessibleOptionFrame(OptionFrame* frame) : QAccessibleWidget(frame, QAccessible::Grouping) { }

    QString text(QAccessible::Text kind) const override
    {
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty()) {
            // The title without the "&" that marks its access key.
            static const QRegularExpression accessKey(QStringLiteral("&(.)"));
            text = static_cast<const OptionFrame*>(widget())->title().replace(accessKey, QStringLiteral("\\1"));
        }
        return text;
    }
};

QAccessibleInterface* AccessibleControlFactory(const QString& className, QObject* object)
{
    if (auto* option = qobject_cast<OptionButton*>(object);
        option && className == QLatin1String(OptionButton::staticMetaObject.className()))
        return new AccessibleOption(option);
    if (auto* frame = qobject_cast<OptionFrame*>(object);
        frame && className == QLatin1String(OptionFrame::staticMetaObject.className()))
        return new AccessibleOptionFrame(frame);
    return nullptr;
}

void InstallAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(AccessibleControlFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

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
    // A label with a buddy would take a lone "&" for an access key.
    if (buddy())
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    setText(shown);
}

OptionButton::OptionButton(QWidget* parent) : QRadioButton(parent)
{
    InstallAccessibleControls();
}

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

OptionFrame::OptionFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent)
{
    InstallAccessibleControls();
}

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListBox::keepSelectionCurrent);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    // Ctrl+Space and Ctrl+click would deselect the selected row: it stays.
    if (command.testFlag(QItemSelectionModel::Deselect) || command.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void ListBox::keepSelectionCurrent()
{
    // A row selected without becoming current (as a screen reader's Toggle
    // action selects) becomes the current and only selected row.
    QItemSelectionModel& selection = *selectionModel();
    const QModelIndexList selected = selection.selectedIndexes();
    for (const QModelIndex& row : selected) {
        if (row != selection.currentIndex()) {
            selection.setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
}

void ListBox::focusInEvent(QFocusEvent* event)
{
    QListWidget::focusInEvent(event);
    // The list's own focus event follows this handler; the row's comes after it.
    QMetaObject::invokeMethod(this, &ListBox::announceCurrentRow, Qt::QueuedConnection);
}

void ListBox::announceCurrentRow()
{
    if (!QAccessible::isActive() || !hasFocus() || currentRow() < 0)
        return;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* table = list ? list->tableInterface() : nullptr;
    QAccessibleInterface* row = table ? table->cellAt(currentRow(), 0) : nullptr;
    if (!row)
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(list->indexOfChild(row));
    QAccessible::updateAccessibility(&focus);
}

void PresentFocusAgain(QWidget* control)
{
    if (!control->hasFocus())
        return;
    // The next query makes a new interface, with a new identity, for it.
    if (QAccessibleInterface* known = QAccessible::queryAccessibleInterface(control))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(known));
    QAccessibleEvent focus(control, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

}  // namespace qd
