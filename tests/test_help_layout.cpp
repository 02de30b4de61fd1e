// A help topic written as one long paragraph is shown as blocks of a bounded
// length that read as that one paragraph, with its links whole; the topics of
// the bundled help file are shown as written.
#include <string>

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "shell/HelpBrowser.h"
#include "shell/HelpFile.h"
#include "shell/HelpWindow.h"

namespace qd::test {
namespace {

constexpr int kLongestBlock = 8192;

struct Paragraph {
    std::string markdown;
    QString plain;  // as a reader sees it
};

// About 40,000 characters of words, some in bold, with a link whose two words
// straddle the place where the first block would end.
Paragraph LongParagraph()
{
    Paragraph paragraph;
    std::string plain;
    for (int word = 0; plain.size() < 40000; ++word) {
        if (!plain.empty()) {
            plain += ' ';
            paragraph.markdown += ' ';
        }
        if (plain.size() + 12 > kLongestBlock && plain.size() < kLongestBlock) {
            plain += "next topic";
            paragraph.markdown += "[next topic](#topic-20)";
        } else if (word % 13 == 0) {
            plain += "answer";
            paragraph.markdown += "**answer**";
        } else {
            plain += "question";
            paragraph.markdown += "question";
        }
    }
    paragraph.plain = QString::fromStdString(plain);
    return paragraph;
}

TEST(HelpLayoutTest, ALongParagraphIsCutIntoBoundedBlocksThatReadAsOneWithItsLinksWhole)
{
    const Paragraph paragraph = LongParagraph();
    HelpWindow window;
    window.setHelpFile(
        HelpFile::Parse("@topic 10 Long\n" + paragraph.markdown + "\n\nShort.\n@topic 20 Next\nThe next topic.\n"));
    window.show();
    window.showTopic(10);
    const QTextDocument& document = *window.browser()->document();

    const QTextBlock heading = document.begin();
    EXPECT_EQ(heading.text(), "Long");
    const QTextBlock last = document.lastBlock();
    ASSERT_EQ(last.text(), "Short.");
    QStringList pieces;
    std::vector<QTextBlockFormat> formats;
    for (QTextBlock block = heading.next(); block.isValid() && block != last; block = block.next()) {
        pieces << block.text();
        formats.push_back(block.blockFormat());
        EXPECT_LE(block.text().size(), kLongestBlock);
    }
    ASSERT_GE(pieces.size(), 5);
    EXPECT_TRUE(pieces.join(QLatin1Char(' ')) == paragraph.plain);
    // The paragraph's own margins outside, none between its pieces.
    const QTextBlockFormat ordinary = last.blockFormat();
    EXPECT_EQ(formats.front().topMargin(), ordinary.topMargin());
    EXPECT_EQ(formats.back().bottomMargin(), ordinary.bottomMargin());
    for (std::size_t piece = 0; piece + 1 < formats.size(); ++piece) {
        EXPECT_EQ(formats[piece].bottomMargin(), 0) << piece;
        EXPECT_EQ(formats[piece + 1].topMargin(), 0) << piece;
    }

    HelpBrowser* browser = window.browser();
    QTest::keyClick(browser, Qt::Key_Tab);
    EXPECT_EQ(browser->textCursor().selectedText(), "next topic");
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_EQ(window.currentTopic(), 20);
    window.close();
}

TEST(HelpLayoutTest, EveryBundledTopicIsShownAsItsMarkdownReads)
{
    const auto file = HelpFile::Load(QStringLiteral(QUIZDECK_PROGRAM_DIR "/quizdeck.hlp"));
    ASSERT_TRUE(file.has_value());
    HelpWindow window;
    window.setHelpFile(*file);
    int shown = 0;
    for (int number = 0; number < 1000; ++number) {
        if (!file->contains(number))
            continue;
        window.showTopic(number);
        QTextDocument written;
        written.setMarkdown(QStringLiteral("# ") + file->topic(number).title + QStringLiteral("\n\n")
                            + file->topic(number).body);
        const QTextDocument& document = *window.browser()->document();
        EXPECT_EQ(document.blockCount(), written.blockCount()) << number;
        EXPECT_EQ(document.toMarkdown(), written.toMarkdown()) << number;
        ++shown;
    }
    EXPECT_GE(shown, 2);
}

}  // namespace
}  // namespace qd::test
