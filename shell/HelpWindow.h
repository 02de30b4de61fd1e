// The help window: one topic of the help file at a time, with links between
// topics. Not modal; the program keeps one and reuses it. Escape closes it.
#pragma once

#include <QMainWindow>

#include "shell/HelpFile.h"

namespace qd {

class HelpBrowser;

class HelpWindow : public QMainWindow {
    Q_OBJECT

public:
    HelpWindow();

    // The help file, and the folder its pictures are found in.
    void setHelpFile(HelpFile file, const QString& folder = {});
    // Shows the topic from its start, with the caret in it: the window's
    // title and the document's accessible name become the topic's title.
    void showTopic(int number);
    int currentTopic() const { return current_; }
    QString currentTitle() const;
    HelpBrowser* browser() const { return browser_; }

private:
    void followLink(const QUrl& link);

    HelpFile file_;
    HelpBrowser* browser_;
    int current_ = -1;
};

}  // namespace qd
