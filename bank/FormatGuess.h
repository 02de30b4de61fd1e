// Which interchange format a text looks like, for telling an author who
// imports a file in the wrong format.
#pragma once

#include <optional>
#include <string_view>

#include "bank/Interchange.h"

namespace qd {

// Moodle XML when the text starts with an XML declaration or <quiz>; else
// GIFT when the text has GIFT's marks (an answer block "{...}" with "=" or
// "~" answers, a "::title::", a "$CATEGORY:") and no Aiken "ANSWER:" line;
// Aiken for the reverse; nothing when it has both or neither.
std::optional<InterchangeFormat> GuessInterchangeFormat(std::string_view utf8);

}  // namespace qd
