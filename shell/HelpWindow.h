// The help window: one topic of the help file at a time, with links between
// topics. Not modal; the program keeps one and reuses it.
#pragma once

#include <QWidget>

#include "shell/HelpFile.h"

class QTextBrowser;

namespace qd {

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    HelpWindow();

    void setHelpFile(HelpFile file);
    void showTopic(int number);
    int currentTopic() const { return current_; }
    QString currentTitle() const;
    QTextBrowser* browser() const { return browser_; }

private:
    void followLink(const QUrl& link);

    HelpFile file_;
    QTextBrowser* browser_;
    int current_ = -1;
};

}  // namespace qd
