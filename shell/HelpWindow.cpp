#include "shell/HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/Resources.h"

namespace qd {

namespace {
constexpr const char* kTopicLink = "topic-";
}

HelpWindow::HelpWindow() : browser_(new QTextBrowser(this))
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(ProgramIcon());
    resize(560, 480);
    browser_->setOpenLinks(false);
    browser_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
}

void HelpWindow::setHelpFile(HelpFile file)
{
    file_ = std::move(file);
}

void HelpWindow::showTopic(int number)
{
    const HelpTopic& topic = file_.topic(number);
    current_ = file_.contains(number) ? number : kHelpContentsTopic;
    setWindowTitle(QStringLiteral("Quizdeck Help - ") + topic.title);
    browser_->setMarkdown(QStringLiteral("# ") + topic.title + QStringLiteral("\n\n") + topic.body);
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
        if (ok)
            showTopic(topic);
    }
}

}  // namespace qd
