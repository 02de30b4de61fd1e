#include "tools/Messages.h"

#include <algorithm>
#include <ostream>

namespace qd::tool {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::string MessageKind(std::string_view message)
{
    std::string kind;
    kind.reserve(message.size());
    for (std::size_t i = 0; i < message.size();) {
        if (IsDigit(message[i])) {
            while (i < message.size() && IsDigit(message[i]))
                ++i;
            kind += '#';
        } else if (message[i] == '"') {
            // A quoted value holds no double quote (Quoted writes it as \x22).
            const std::size_t close = message.find('"', i + 1);
            i = close == std::string_view::npos ? message.size() : close + 1;
            kind += "\"\xE2\x80\xA6\"";
        } else {
            // The text up to the next number or quoted value, as it is.
            const auto end = std::find_if(message.begin() + static_cast<std::ptrdiff_t>(i), message.end(),
                                          [](char c) { return IsDigit(c) || c == '"'; });
            const auto next = static_cast<std::size_t>(end - message.begin());
            kind.append(message, i, next - i);
            i = next;
        }
    }
    return kind;
}

void MessageCap::report(std::string_view where, const std::string& message)
{
    Kind& kind = kinds_[MessageKind(message)];
    if (kind.count == 0) {
        kind.text = message;
        kind.shown = std::string(where) + message;
    } else if (!kind.varied && message != kind.text) {
        kind.varied = true;
    }
    const std::size_t count = ++kind.count;
    if (count <= kMessagesOfOneKind)
        stream_ << where << message << '\n';
    else if (count == kMessagesOfOneKind + 1)
        capped_.push_back(&kind);
}

void MessageCap::finish()
{
    for (const Kind* kind : capped_) {
        const std::size_t more = kind->count - kMessagesOfOneKind;
        stream_ << "quizdeck-bank: ... " << more << " more ";
        if (kind->varied)
            stream_ << (more == 1 ? "message" : "messages") << " like " << Quoted(kind->shown);
        else
            stream_ << Quoted(kind->text) << (more == 1 ? " message" : " messages");
        stream_ << " left out\n";
    }
    capped_.clear();
}

}  // namespace qd::tool
