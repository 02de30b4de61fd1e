// GIFT and Aiken imports in memory bounded by the source: the tool runs under
// a limit of its address space of eight times the source beyond what it
// needs to start, whatever the source holds.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "tests/ToolSupport.h"

namespace qd {
namespace {

using test::ToolRun;

constexpr std::size_t kMiB = std::size_t {1024} * 1024;

std::string Repeated(const std::string& piece, std::size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

class ImportMemoryTest : public test::ToolTest {
protected:
    void SetUp() override
    {
        if (test::UnderAddressSanitizer())
            GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
        ToolTest::SetUp();
    }

    // Imports `source` as `format` in the base address space, a step of the
    // search and `times` the source.
    ToolRun importLimited(const std::string& source, const char* format, std::size_t times = 8)
    {
        write("source.txt", source);
        return test::RunToolLimited({"import", "--format", format, path("source.txt"), "-o", path("out.drv")},
                                    "/dev/null", test::ToolBaseAddressSpace() + 4 * kMiB + times * source.size());
    }
};

// Each message printed as it comes: none is kept, however many there are.
TEST_F(ImportMemoryTest, MessagesAreNotKept)
{
    const ToolRun lines = importLimited(Repeated("ab\n", 350000), "aiken");
    EXPECT_EQ(lines.status, 1) << lines.err;
    EXPECT_NE(lines.err.find(": 0 questions imported, 350000 skipped, 0 notes\n"), std::string::npos) << lines.err;
    // Notes held inside an open question, one number each.
    const ToolRun notes = importLimited("Question\nA. a\n" + Repeated("x\n", 1000000), "aiken");
    EXPECT_EQ(notes.status, 1) << notes.err;
    EXPECT_NE(notes.err.find(": 0 questions imported, 1 skipped, 1000000 notes\n"), std::string::npos) << notes.err;
    const ToolRun skipped = importLimited(Repeated("x{=a}\n\n", 100000), "gift");
    EXPECT_EQ(skipped.status, 1) << skipped.err;
    EXPECT_NE(skipped.err.find(": 0 questions imported, 100000 skipped, 0 notes\n"), std::string::npos) << skipped.err;
}

// A huge text is held a few times at most, never as characters of 12 bytes.
// The HTML parser reserves room it does not touch (its buffers grow by
// doubling): the limit for HTML is twice as wide, far below the 90 times the
// text that characters took.
TEST_F(ImportMemoryTest, HugeTextsAreHeldAsTheirBytes)
{
    const std::vector<std::pair<std::string, std::size_t>> sources = {
        {"[html]<p>" + Repeated("word ", 800000) + "</p>{=a~b~c~d}\n", 16},
        {"[html]" + Repeated("&amp;", 800000) + "{=a~b~c~d}\n", 16},
        {Repeated("&amp;", 800000) + "{=a~b~c~d}\n", 8},
        {"{=" + Repeated("a", 4 * kMiB) + "~b~c~d}\n", 8},
    };
    for (const auto& [source, times] : sources) {
        const ToolRun run = importLimited(source, "gift", times);
        EXPECT_EQ(run.status, 0) << source.substr(0, 12) << run.err;
        EXPECT_NE(run.err.find(": 1 question imported, 0 skipped, 0 notes\n"), std::string::npos) << run.err;
    }
}

// A question of millions of lines keeps no more of them than a card takes.
TEST_F(ImportMemoryTest, QuestionLinesPastTheMostAreNotKept)
{
    const ToolRun run = importLimited("::Title:: " + Repeated("line\n", 500000) + "{=a~b~c~d}\n", "gift");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(":1: more than 255 question lines\n"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace qd
