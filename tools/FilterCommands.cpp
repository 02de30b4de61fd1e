// scramble and descramble: line filters that hold one line at a time.
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <istream>
#include <ostream>
#include <streambuf>
#include <string_view>

#include "bank/Descrambler.h"
#include "shell/Failure.h"
#include "tools/BankTool.h"
#include "tools/CommandLine.h"
#include "tools/Commands.h"
#include "tools/Messages.h"

namespace qd::tool {

namespace {

// The lines of a stream, one at a time. A line ends at LF, and a CR just
// before the LF belongs to the end; the last line needs no LF.
class LineReader {
public:
    explicit LineReader(std::istream& in) : buffer_(in.rdbuf()) { }

    // The next line, or false at the end of the input. A line longer than
    // kMaxFilterLine is a FileError.
    bool next(std::string& line)
    {
        line.clear();
        bool any = false;
        while (pos_ < end_ || fill()) {
            any = true;
            const char* begin = chunk_.data() + pos_;
            const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', end_ - pos_));
            const std::size_t count = lf ? static_cast<std::size_t>(lf - begin) : end_ - pos_;
            append(line, begin, count);
            pos_ += count;
            if (lf) {
                ++pos_;
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                break;
            }
        }
        number_ += any ? 1 : 0;
        return any;
    }

    int number() const { return number_; }

private:
    bool fill()
    {
        pos_ = 0;
        end_ = buffer_
            ? static_cast<std::size_t>(buffer_->sgetn(chunk_.data(), static_cast<std::streamsize>(chunk_.size())))
            : 0;
        return end_ > 0;
    }

    void append(std::string& line, const char* bytes, std::size_t count) const
    {
        if (count > kMaxFilterLine - line.size())
            throw FileError("standard input: line " + std::to_string(number_ + 1) + " is longer than "
                            + std::to_string(kMaxFilterLine / 1024 / 1024) + " MiB; nothing from it on is converted");
        line.append(bytes, count);
    }

    std::streambuf* buffer_;
    std::array<char, 65536> chunk_ {};
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    int number_ = 0;
};

using LineConverter = std::function<std::string(std::string_view key, std::string_view line)>;

// Converts every input line; a line that cannot be converted is reported by
// its number and left out, and the others are still written.
int RunFilter(const Args& args, const LineConverter& convert, std::string_view lineEnd, std::istream& in,
              std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {true, false, false});
    ExpectOperands(options, 0, args.front() + " reads standard input and takes no file");
    const std::string key = KeyOf(options);
    MessageCap messages(err);
    LineReader reader(in);
    int status = kToolDone;
    std::string line;
    try {
        while (reader.next(line)) {
            try {
                errno = 0;
                out << convert(key, line) << lineEnd;
            } catch (const Failure& failure) {
                messages.report("line " + std::to_string(reader.number()) + ": ", failure.detail());
                status = kToolProblems;
            }
            // An output that cannot be written ends the filter now, not at
            // the end of an input that may never end.
            if (!out)
                throw OutputError(OutputErrorText());
        }
    } catch (const FileError&) {
        messages.finish();
        throw;
    }
    messages.finish();
    return status;
}

}  // namespace

std::string OutputErrorText()
{
    const int error = errno;
    std::string text = "cannot write standard output";
    if (error != 0)
        text += std::string(": ") + std::strerror(error);
    return text;
}

int RunScramble(const Args& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    return RunFilter(args, ScrambleText, "\r\n", in, out, err);
}

int RunDescramble(const Args& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    return RunFilter(args, DescrambleText, "\n", in, out, err);
}

}  // namespace qd::tool
