// The bundled question files: clean, substantial, varied, fit the window, and
// do not give the right answer away by its length, its place, its words or its
// likeness to the other answers.
#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <iostream>
#include <set>
#include <string_view>
#include <vector>

#include <QGroupBox>
#include <QProcess>
#include <gtest/gtest.h>

#include "bank/QuestionFile.h"
#include "bank/Sections.h"
#include "quiz/Checking.h"
#include "quiz/frmMain.h"
#include "shell/CodePage.h"
#include "shell/Controls.h"
#include "tests/TestSupport.h"

namespace qd::test {
namespace {

// True when the correct answer has more characters than each of the other three,
// which lets a learner guess it without knowing the subject.
bool RightAnswerIsStrictlyLongest(const QuestionRecord& record)
{
    const std::array<const std::string*, 4> answers {&record.Answer1, &record.Answer2, &record.Answer3,
                                                     &record.Answer4};
    const std::size_t right = std::stoul(record.AnsNum) - 1;
    for (std::size_t a = 0; a < answers.size(); ++a)
        if (a != right && answers[a]->size() >= answers[right]->size())
            return false;
    return true;
}

// The distinct lower-case words of a text (runs of ASCII letters and digits),
// without the little words every text has.
std::set<std::string> WordsOf(const std::string& text)
{
    static const std::set<std::string, std::less<>> kLittleWords {
        "a",  "an", "the",  "of",   "to",   "in",    "on",   "at",   "by",  "for",  "and", "or",   "is",   "it", "its",
        "as", "be", "with", "that", "this", "which", "what", "when", "how", "does", "do",  "from", "into", "are"};
    std::set<std::string> words;
    std::string word;
    for (const char c : text + ' ') {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && std::isalnum(byte) != 0) {
            word += static_cast<char>(std::tolower(byte));
        } else if (!word.empty()) {
            if (kLittleWords.find(word) == kLittleWords.end())
                words.insert(word);
            word.clear();
        }
    }
    return words;
}

std::size_t CommonWords(const std::set<std::string>& first, const std::set<std::string>& second)
{
    return static_cast<std::size_t>(std::count_if(
        first.begin(), first.end(), [&second](const std::string& word) { return second.count(word) > 0; }));
}

// A learner who picks among the answers with the highest score at random is
// right this often on average: 1/k when the right answer is one of k best.
double ShareOfGuess(const std::array<std::size_t, 4>& scores, std::size_t right)
{
    const std::size_t best = *std::max_element(scores.begin(), scores.end());
    if (scores[right] != best)
        return 0.0;
    return 1.0 / static_cast<double>(std::count(scores.begin(), scores.end(), best));
}

std::size_t RightIndex(const QuestionRecord& record)
{
    return std::stoul(record.AnsNum) - 1;
}

double LongestAnswerGuess(const QuestionRecord& record)
{
    std::array<std::size_t, 4> scores {};
    for (std::size_t a = 0; a < 4; ++a)
        scores[a] = record.answer(a).size();
    return ShareOfGuess(scores, RightIndex(record));
}

// The answer that has the most words of the question in it.
double SharedWordsGuess(const QuestionRecord& record)
{
    const std::set<std::string> question = WordsOf(record.Question);
    std::array<std::size_t, 4> scores {};
    for (std::size_t a = 0; a < 4; ++a)
        scores[a] = CommonWords(WordsOf(record.answer(a)), question);
    return ShareOfGuess(scores, RightIndex(record));
}

// The answer that has the most words in common with the other three, as a
// key pieced together from the parts of the wrong answers would.
double LikenessGuess(const QuestionRecord& record)
{
    std::array<std::set<std::string>, 4> words;
    for (std::size_t a = 0; a < 4; ++a)
        words[a] = WordsOf(record.answer(a));
    std::array<std::size_t, 4> scores {};
    for (std::size_t a = 0; a < 4; ++a)
        for (std::size_t b = 0; b < 4; ++b)
            if (a != b)
                scores[a] += CommonWords(words[a], words[b]);
    return ShareOfGuess(scores, RightIndex(record));
}

// The program shows the right answer after OK, so a learner can track the
// places: the guess is the place used least so far in this section, leaving
// out the place that was right last time.
double PositionGuesses(const std::vector<QuestionRecord>& section)
{
    std::array<std::size_t, 4> used {};
    std::size_t last = 4;
    double guessed = 0.0;
    for (const QuestionRecord& record : section) {
        std::array<std::size_t, 4> scores {};
        const std::size_t fewest = [&] {
            std::size_t least = section.size();
            for (std::size_t place = 0; place < 4; ++place)
                if (place != last)
                    least = std::min(least, used[place]);
            return least;
        }();
        for (std::size_t place = 0; place < 4; ++place)
            scores[place] = place != last && used[place] == fewest ? 1 : 0;
        const std::size_t right = RightIndex(record);
        guessed += ShareOfGuess(scores, right);
        ++used[right];
        last = right;
    }
    return guessed;
}

class BundledContentTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        TheProgram().programFolder = QUIZDECK_PROGRAM_DIR;
    }
};

TEST_F(BundledContentTest, TheBankToolFindsNoProblemInAnyBundledFile)
{
    QStringList files;
    for (const Section& section : kSections)
        files << QStringLiteral(QUIZDECK_PROGRAM_DIR "/") + QString::fromLatin1(section.dataFile);
    QProcess check;
    check.start(QStringLiteral(QUIZDECK_BANK_TOOL), QStringList {QStringLiteral("check")} + files);
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
}

// The right answer's place is drawn at random for each question, so a section
// is not balanced, but every section uses every place and the whole bank
// spreads the right answers over all four.
TEST_F(BundledContentTest, EverySectionHasTwentyFourQuestionsWithTheAnswerInEveryPlace)
{
    std::array<int, 4> allPlaces {};
    int questions = 0;
    for (const Section& section : kSections) {
        const char* name = section.dataFile;
        LoadQuestionFile(name);
        EXPECT_GE(QuestionCount(), 24) << name;
        questions += QuestionCount();
        std::array<int, 4> places {};
        int multiLine = 0;
        for (int i = 0; i < QuestionCount(); ++i) {
            const QuestionRecord& record = QuestionTable()[static_cast<std::size_t>(i)];
            const int correct = std::stoi(record.AnsNum);
            ASSERT_TRUE(correct >= 1 && correct <= 4) << name << " question " << i + 1;
            ++places[static_cast<std::size_t>(correct - 1)];
            multiLine += std::stoi(record.NumLines) > 1;
            EXPECT_FALSE(record.Ref.empty()) << name << " question " << i + 1;
        }
        for (std::size_t place = 0; place < 4; ++place) {
            EXPECT_GE(places[place], 1) << name << " place " << place + 1;
            allPlaces[place] += places[place];
        }
        EXPECT_GE(multiLine, 3) << name;
    }
    for (std::size_t place = 0; place < 4; ++place)
        EXPECT_GE(allPlaces[place] * 6, questions) << "place " << place + 1;
    EXPECT_TRUE(log->entries.empty());
}

// Measured with the window's own labels and fonts: the question with its
// longer verdict, the correct answer and the reference must show above the
// answers frame, and every answer on its one line.
TEST_F(BundledContentTest, EveryQuestionAndItsFeedbackFitTheWindow)
{
    frmMain form;
    const int visibleHeight = form.frmQuest->y() - form.lblQuestion->y();
    const int width = form.lblQuestion->width();
    for (const Section& section : kSections) {
        const char* name = section.dataFile;
        LoadQuestionFile(name);
        for (int i = 0; i < QuestionCount(); ++i) {
            const QuestionRecord& record = QuestionTable()[static_cast<std::size_t>(i)];
            const std::string* answers[] = {&record.Answer1, &record.Answer2, &record.Answer3, &record.Answer4};
            const std::string& correct = *answers[std::stoi(record.AnsNum) - 1];
            form.lblQuestion->setCaption(FromCodePage(record.Question) + QStringLiteral("\r\n\r\n")
                                         + QLatin1String(kVerdictIncorrect) + QStringLiteral("\r\n\r\nANSWER: ")
                                         + FromCodePage(correct) + QStringLiteral("\r\n\r\n\r\n")
                                         + FromCodePage(record.Ref));
            EXPECT_LE(form.lblQuestion->heightForWidth(width), visibleHeight)
                << name << " question " << i + 1 << " does not fit";
            for (std::size_t a = 0; a < 4; ++a) {
                OptionButton* option = form.optAns[a];
                option->setCaption(FromCodePage(*answers[a]));
                EXPECT_LE(option->sizeHint().width(), option->width())
                    << name << " question " << i + 1 << " answer " << a + 1 << " is cut";
            }
        }
    }
}

// By chance the right answer is the strictly longest of four in at most a
// quarter of the questions; a bank well above that teaches guessing by length.
TEST_F(BundledContentTest, TheLongestAnswerIsSeldomTheRightOne)
{
    int questions = 0;
    int longest = 0;
    for (const Section& section : kSections) {
        const char* name = section.dataFile;
        LoadQuestionFile(name);
        int sectionLongest = 0;
        const int count = QuestionCount();
        for (int i = 0; i < count; ++i)
            sectionLongest += RightAnswerIsStrictlyLongest(QuestionTable()[static_cast<std::size_t>(i)]);
        std::cout << std::setw(14) << name << ": right answer strictly longest in " << sectionLongest << " of " << count
                  << " (" << 100 * sectionLongest / count << "%)\n";
        EXPECT_LE(sectionLongest * 100, count * 35) << name;
        questions += count;
        longest += sectionLongest;
    }
    std::cout << std::setw(14) << "all sections"
              << ": right answer strictly longest in " << longest << " of " << questions << " ("
              << 100 * longest / questions << "%)\n";
    EXPECT_LE(longest * 100, questions * 30);
    EXPECT_TRUE(log->entries.empty());
}

// Four ways to guess without knowing the subject, each printed per section:
// the longest answer, the place a tracking learner expects, the answer sharing
// most words with the question, and the answer most like the other three.
// Picking at random among equals, none may beat 30% over the whole bank
// (chance is 25%).
TEST_F(BundledContentTest, NoWayOfGuessingFindsTheRightAnswerInMoreThanThirtyPercent)
{
    const std::array<const char*, 4> kCues {"longest", "position", "shared words", "likeness"};
    std::array<double, 4> all {};
    std::size_t questions = 0;
    std::cout << std::setw(14) << "right by:";
    for (const char* cue : kCues)
        std::cout << std::setw(14) << cue;
    std::cout << "\n";
    for (const Section& section : kSections) {
        const char* name = section.dataFile;
        LoadQuestionFile(name);
        const std::size_t count = static_cast<std::size_t>(QuestionCount());
        const std::vector<QuestionRecord> records(QuestionTable().begin(), QuestionTable().begin() + QuestionCount());
        std::array<double, 4> guessed {0.0, PositionGuesses(records), 0.0, 0.0};
        for (const QuestionRecord& record : records) {
            guessed[0] += LongestAnswerGuess(record);
            guessed[2] += SharedWordsGuess(record);
            guessed[3] += LikenessGuess(record);
        }
        std::cout << std::setw(14) << name;
        for (std::size_t cue = 0; cue < kCues.size(); ++cue) {
            std::cout << std::setw(13) << std::fixed << std::setprecision(1)
                      << 100.0 * guessed[cue] / static_cast<double>(count) << "%";
            all[cue] += guessed[cue];
        }
        std::cout << "\n";
        questions += count;
    }
    std::cout << std::setw(14) << "all sections";
    for (std::size_t cue = 0; cue < kCues.size(); ++cue)
        std::cout << std::setw(13) << 100.0 * all[cue] / static_cast<double>(questions) << "%";
    std::cout << " of " << questions << " questions\n";
    for (std::size_t cue = 0; cue < kCues.size(); ++cue)
        EXPECT_LE(all[cue], 0.30 * static_cast<double>(questions)) << kCues[cue];
    EXPECT_TRUE(log->entries.empty());
}

}  // namespace
}  // namespace qd::test
