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

// The kind of a message: its text with every number written as "#" and
// every quoted value (bank/Text.h's Quoted) as "…", so that messages that
// differ only in a line number or a value are of one kind.
std::string MessageKind(std::string_view message);

// Writes one line per message; from the 101st message of one kind on, it
// only counts them, and `finish` says how many were left out.
class MessageCap {
public:
    explicit MessageCap(std::ostream& stream) : stream_(stream) { }

    // Writes `where` followed by `message`, unless the cap of its kind is reached.
    void report(std::string_view where, const std::string& message);
    // One line for each kind of message that was left out, in the order they reached the cap.
    void finish();

private:
    struct Kind {
        std::size_t count = 0;
        std::string text;  // the first message of the kind
        std::string shown;  // the same with its place
        bool varied = false;  // not all its messages have the same text
    };

    std::ostream& stream_;
    std::map<std::string, Kind> kinds_;
    std::vector<const Kind*> capped_;
};

}  // namespace qd::tool
