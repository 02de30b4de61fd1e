// The bank tool's reports: a cap on messages of one kind.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bank/Text.h"

namespace qd::tool {

// The most messages of one kind that a report shows.
inline constexpr std::size_t kMessagesOfOneKind = 100;

// Writes one line per message; from the 101st message with the same text on,
// it only counts them, and `finish` says how many were left out.
class MessageCap {
public:
    explicit MessageCap(std::ostream& stream) : stream_(stream) { }

    // Writes `where` followed by `message`, unless the cap of `message` is reached.
    void report(std::string_view where, const std::string& message);
    // One line for each kind of message that was left out, in the order they reached the cap.
    void finish();

private:
    std::ostream& stream_;
    std::map<std::string, std::size_t> counts_;
    std::vector<std::string> capped_;
};

}  // namespace qd::tool
