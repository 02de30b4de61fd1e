// The help window's document view: one topic as a read-only document that
// can be read with the caret, line by line, and whose links are reached with
// Tab and followed with Enter or a click.
#pragma once

#include <cstddef>

#include <QImage>
#include <QTextEdit>

namespace qd {

// The largest picture a help topic may show, in bytes and in pixels a side.
inline constexpr std::size_t kLargestHelpImage = std::size_t {8} * 1024 * 1024;
inline constexpr int kLargestHelpImageSide = 4096;

// A picture of the help file: a regular file, opened without waiting, no
// larger than the limits above; relative names are found in `folder`.
// Anything else (a FIFO, a device, a folder, a missing or damaged file, a
// name on the network) gives a null image.
QImage LoadHelpImage(const QUrl& name, const QString& folder);

// A read-only QTextEdit, not a QTextBrowser: the accessibility layer offers
// a text view with a caret to a screen reader, where a QTextBrowser is one
// static label read in one breath.
class HelpBrowser final : public QTextEdit {
    Q_OBJECT

public:
    explicit HelpBrowser(QWidget* parent);

    // Shows a Markdown text from its start, laid out in time that grows in
    // proportion to its length.
    void showMarkdown(const QString& markdown);
    // Where the pictures of the help file are.
    void setImageFolder(const QString& folder) { imageFolder_ = folder; }
    // The link the caret has selected, or an empty text.
    QString selectedLink() const;

    QVariant loadResource(int type, const QUrl& name) override;

signals:
    void linkActivated(const QUrl& link);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool selectLink(bool next);

    QString imageFolder_;
    QString pressedLink_;
    QPoint pressedAt_;
};

}  // namespace qd
