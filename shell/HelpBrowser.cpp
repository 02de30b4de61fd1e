#include "shell/HelpBrowser.h"

#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

#include "shell/Failure.h"
#include "shell/platform/Files.h"

namespace qd {

namespace {

struct LinkSpan {
    int start;
    int end;
};

// Every link of the document, in reading order; neighbouring pieces of one
// link are one span.
std::vector<LinkSpan> LinkSpans(const QTextDocument& document)
{
    std::vector<LinkSpan> spans;
    QString lastHref;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            const QTextFragment fragment = piece.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const int start = fragment.position();
            const int end = start + fragment.length();
            if (!format.isAnchor() || format.anchorHref().isEmpty()) {
                lastHref.clear();
                continue;
            }
            if (!spans.empty() && spans.back().end == start && format.anchorHref() == lastHref)
                spans.back().end = end;
            else
                spans.push_back({start, end});
            lastHref = format.anchorHref();
        }
        lastHref.clear();
    }
    return spans;
}

// The longest paragraph laid out as one block. Laying out a block takes time
// in proportion to its length, and a block is laid out whole each time the
// view's width changes; shorter blocks are laid out as far as they are seen,
// and the rest while the program waits for input.
constexpr int kLongestBlock = 8192;

// Where a paragraph of `text` is cut into blocks of at most kLongestBlock
// characters: at the last space outside a link, or at the limit itself
// (never inside a surrogate pair) where there is none.
std::vector<int> CutsOf(const QTextBlock& block, const QString& text)
{
    std::vector<int> cuts;
    QTextCursor probe(block);
    for (int start = 0; text.size() - start > kLongestBlock;) {
        int cut = start + kLongestBlock;
        for (int at = cut - 1; at > start; --at) {
            probe.setPosition(block.position() + at + 1);
            if (text[at] == QLatin1Char(' ') && !probe.charFormat().isAnchor()) {
                cut = at;
                break;
            }
        }
        if (cut == start + kLongestBlock && text[cut - 1].isHighSurrogate())
            --cut;
        cuts.push_back(cut);
        start = text[cut] == QLatin1Char(' ') ? cut + 1 : cut;
    }
    return cuts;
}

// Cuts each paragraph longer than kLongestBlock into blocks that read as one
// paragraph: no space between them, the paragraph's margins outside. Items
// of lists stay whole (a new block there would be a new item), and so do
// lines of code, which are not wrapped.
void CutLongParagraphs(QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // length() counts the block's end too; the pieces are passed over here.
        if (block.length() - 1 <= kLongestBlock || block.textList() || block.blockFormat().nonBreakableLines())
            continue;
        const std::vector<int> cuts = CutsOf(block, block.text());
        const QTextBlockFormat whole = block.blockFormat();
        QTextBlockFormat inner = whole;
        inner.setTopMargin(0);
        inner.setBottomMargin(0);
        inner.setTextIndent(0);
        QTextCursor cursor(block);
        const int start = block.position();
        // From the last cut back, so that the earlier positions stay.
        for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
            cursor.setPosition(start + *cut);
            if (document.characterAt(start + *cut) == QLatin1Char(' ')) {
                // Not deleteChar(): that finds the next cursor position by
                // going over the whole paragraph.
                cursor.setPosition(start + *cut + 1, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
            QTextBlockFormat piece = inner;
            if (cut == cuts.rbegin())
                piece.setBottomMargin(whole.bottomMargin());
            cursor.insertBlock(piece);
        }
        QTextBlockFormat first = whole;
        first.setBottomMargin(0);
        cursor.setPosition(start);
        cursor.setBlockFormat(first);
    }
}

// The path of a picture's name, or nothing for a name that is no file of ours.
std::optional<QString> ImagePath(const QUrl& name, const QString& folder)
{
    QString path;
    if (name.scheme() == QLatin1String("qrc"))
        return QLatin1Char(':') + name.path();
    if (name.isLocalFile())
        path = name.toLocalFile();
    else if (name.scheme().isEmpty() && name.host().isEmpty())
        path = name.path();
    else
        return std::nullopt;
    if (path.isEmpty())
        return std::nullopt;
    if (QDir::isRelativePath(path) && !path.startsWith(QLatin1Char(':')))
        path = QDir(folder).filePath(path);
    return path;
}

}  // namespace

QImage LoadHelpImage(const QUrl& name, const QString& folder)
{
    const std::optional<QString> path = ImagePath(name, folder);
    if (!path)
        return {};
    QByteArray bytes;
    if (path->startsWith(QLatin1Char(':'))) {
        // The program's own pictures, built into it.
        QFile resource(*path);
        if (resource.size() > qint64(kLargestHelpImage) || !resource.open(QIODevice::ReadOnly))
            return {};
        bytes = resource.readAll();
    } else {
        // Opened without waiting and checked after the open: a FIFO or a
        // device in a picture's place never blocks and is never read.
        try {
            const std::string read = ReadRegularFile(QFile::encodeName(*path).toStdString(), kLargestHelpImage);
            bytes = QByteArray(read.data(), static_cast<qsizetype>(read.size()));
        } catch (const Failure&) {
            return {};
        }
    }
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kLargestHelpImageSide || size.height() > kLargestHelpImageSide)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

HelpBrowser::HelpBrowser(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    // A caret for reading, links for the mouse and the keyboard.
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
}

void HelpBrowser::showMarkdown(const QString& markdown)
{
    // The topic is built in a document of its own and laid out when it is
    // shown, from its start and as far as it is seen: built in the shown
    // document, every piece of a paragraph would lay out the whole paragraph
    // again. The document belongs to this view, so its pictures come through
    // loadResource.
    auto* document = new QTextDocument(this);
    document->setDefaultFont(font());
    document->setUndoRedoEnabled(false);
    // No width yet, so not laid out before the view gives it its width.
    document->setPageSize(QSizeF(0, 0));
    {
        // Within one edit block: otherwise every piece the Markdown reader
        // inserts has the document find the caret's line in its paragraph,
        // which goes over the whole paragraph each time.
        QTextCursor block(document);
        block.beginEditBlock();
        document->setMarkdown(markdown);
        CutLongParagraphs(*document);
        block.endEditBlock();
    }
    // The first document belongs to the text control, which deletes it when
    // it is replaced; the later ones are this view's.
    QTextDocument* const old = this->document();
    const bool ours = old->parent() == this;
    setDocument(document);
    if (ours)
        delete old;
    moveCursor(QTextCursor::Start);
}

QString HelpBrowser::selectedLink() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return {};
    QTextCursor inside(document());
    inside.setPosition(cursor.selectionStart() + 1);
    const QTextCharFormat format = inside.charFormat();
    return format.isAnchor() ? format.anchorHref() : QString();
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    // Only pictures, and only those LoadHelpImage accepts. The answer is
    // never a null variant: the document would then open the name itself.
    if (type != QTextDocument::ImageResource)
        return QVariant(QByteArray());
    return QVariant(LoadHelpImage(name, imageFolder_));
}

bool HelpBrowser::selectLink(bool next)
{
    const std::vector<LinkSpan> spans = LinkSpans(*document());
    if (spans.empty())
        return false;
    const QTextCursor current = textCursor();
    const LinkSpan* chosen = nullptr;
    if (next) {
        for (const LinkSpan& span : spans) {
            if (span.start >= current.selectionEnd()
                && !(current.hasSelection() && span.start == current.selectionStart())) {
                chosen = &span;
                break;
            }
        }
        if (!chosen)
            chosen = &spans.front();
    } else {
        for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
            if (span->end <= current.selectionStart()) {
                chosen = &*span;
                break;
            }
        }
        if (!chosen)
            chosen = &spans.back();
    }
    QTextCursor cursor(document());
    cursor.setPosition(chosen->start);
    cursor.setPosition(chosen->end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

bool HelpBrowser::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab go from link to link, round the topic.
    return selectLink(next) || QTextEdit::focusNextPrevChild(next);
}

void HelpBrowser::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier) {
        const QString link = selectedLink();
        if (!link.isEmpty()) {
            emit linkActivated(QUrl(link));
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

void HelpBrowser::mousePressEvent(QMouseEvent* event)
{
    pressedLink_ = event->button() == Qt::LeftButton ? anchorAt(event->position().toPoint()) : QString();
    pressedAt_ = event->position().toPoint();
    QTextEdit::mousePressEvent(event);
}

void HelpBrowser::mouseMoveEvent(QMouseEvent* event)
{
    const bool overLink = !anchorAt(event->position().toPoint()).isEmpty();
    viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
    QTextEdit::mouseMoveEvent(event);
}

void HelpBrowser::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    const QString link = event->button() == Qt::LeftButton ? anchorAt(event->position().toPoint()) : QString();
    // A press and release on one link, without dragging to select text.
    const bool dragged =
        (event->position().toPoint() - pressedAt_).manhattanLength() >= QApplication::startDragDistance();
    const bool clicked = !link.isEmpty() && link == pressedLink_ && !dragged;
    pressedLink_.clear();
    if (clicked)
        emit linkActivated(QUrl(link));
}

}  // namespace qd
