#include "bank/LoadRecorder.h"

#include <algorithm>
#include <functional>

#include "bank/ByteVectors.h"
#include "shell/platform/Memory.h"

namespace qd {

std::vector<DataLine> SplitDataLines(std::string_view bytes)
{
    std::vector<DataLine> lines;
    LineReader reader(bytes, LineBreaks::Any);
    for (TextLine line {}; reader.next(line);)
        lines.push_back({line.text, line.end});
    return lines;
}

LoadRecorder::LoadRecorder(std::string_view fileBytes) : fileBytes_(fileBytes)
{
    // A line for each LF, which is every line of a file with CR LF ends.
    ReserveLarge(lines_, vectors::CountOf(fileBytes, '\n') + 1);
    // The texts the program takes from the lines are shorter than the lines:
    // one block holds them all.
    ReserveLarge(blocks_.emplace_back(), fileBytes.size());
}

std::string_view LoadRecorder::keep(std::string_view text)
{
    // Blocks of 1 MiB; a longer text gets a block of its own.
    constexpr std::size_t kBlockSize = std::size_t {1} << 20;
    if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < text.size()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockSize, text.size()));
    }
    std::string& block = blocks_.back();
    const std::size_t start = block.size();
    block.append(text);  // within its capacity: the block stays where it is
    return std::string_view(block).substr(start);
}

void LoadRecorder::lineRead(int line, LineRole role, std::string_view raw, std::string_view plain)
{
    const auto inFile = [&](std::string_view text) {
        return !fileBytes_.empty() && std::less_equal<>()(fileBytes_.data(), text.data())
            && std::less_equal<>()(text.data() + text.size(), fileBytes_.data() + fileBytes_.size());
    };
    const std::string_view keptRaw = inFile(raw) ? raw : keep(raw);
    lines_.push_back({line, role, keptRaw, keep(plain)});
}

void LoadRecorder::failed(int line, LineRole role, std::int16_t number)
{
    failures_.push_back({line, role, number});
}

void LoadRecorder::stopped(int line)
{
    stoppedAt_ = line;
}

}  // namespace qd
