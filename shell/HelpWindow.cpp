#include "shell/HelpWindow.h"

#include <QShortcut>
#include <QUrl>

#include "shell/Controls.h"
#include "shell/HelpBrowser.h"
#include "shell/Resources.h"

namespace qd {

namespace {
constexpr const char* kTopicLink = "topic-";
}

HelpWindow::HelpWindow() : browser_(new HelpBrowser(this))
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(ProgramIcon());
    resize(560, 480);
    setCentralWidget(browser_);
    // The document's name says what it is; the topic's title is in the
    // window's name and is the document's first line, where the caret is
    // when a topic opens. Named after the topic too, a screen reader would
    // say the title twice in a row.
    browser_->setAccessibleName(QStringLiteral("Help topic"));
    connect(browser_, &HelpBrowser::linkActivated, this, &HelpWindow::followLink);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::setHelpFile(HelpFile file, const QString& folder)
{
    file_ = std::move(file);
    browser_->setImageFolder(folder);
}

void HelpWindow::showTopic(int number)
{
    const HelpTopic& topic = file_.topic(number);
    current_ = file_.contains(number) ? number : kHelpContentsTopic;
    setWindowTitle(QStringLiteral("Quizdeck Help - ") + topic.title);
    browser_->showMarkdown(QStringLiteral("# ") + topic.title + QStringLiteral("\n\n") + topic.body);
    browser_->setFocus(Qt::OtherFocusReason);
}

QString HelpWindow::currentTitle() const
{
    return file_.topic(current_).title;
}

void HelpWindow::followLink(const QUrl& link)
{
    const QString fragment = link.fragment();
    if (link.isRelative() && fragment.startsWith(QLatin1String(kTopicLink))) {
        bool ok = false;
        const int topic = fragment.mid(int(qstrlen(kTopicLink))).toInt(&ok);
        if (!ok)
            return;
        // The document keeps the focus: it is presented to a screen reader
        // as newly focused, so that the new topic's title is heard (a name
        // that changes is not). Before the new topic, so that the caret's
        // and the selection's moves belong to the document now presented.
        PresentFocusAgain(browser_);
        showTopic(topic);
    }
}

}  // namespace qd
