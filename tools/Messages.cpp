#include "tools/Messages.h"

#include <ostream>

namespace qd::tool {

void MessageCap::report(std::string_view where, const std::string& message)
{
    const std::size_t count = ++counts_[message];
    if (count <= kMessagesOfOneKind)
        stream_ << where << message << '\n';
    else if (count == kMessagesOfOneKind + 1)
        capped_.push_back(message);
}

void MessageCap::finish()
{
    for (const std::string& message : capped_) {
        const std::size_t more = counts_[message] - kMessagesOfOneKind;
        stream_ << "quizdeck-bank: ... " << more << " more " << Quoted(message)
                << (more == 1 ? " message" : " messages") << " left out\n";
    }
    capped_.clear();
}

}  // namespace qd::tool
