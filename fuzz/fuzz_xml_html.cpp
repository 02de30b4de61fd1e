// The HTML of paragraphs, line breaks and text that the Moodle XML import
// reads without libxml2's HTML parser: over any bytes, whatever it reads
// gives exactly the lines the parser gives.
#include <cstdint>
#include <string>
#include <string_view>

#include "bank/HtmlText.h"
#include "bank/MoodleXmlParts.h"
#include "bank/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u32string html = qd::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto simple = qd::moodlexml::SimpleHtmlLines(html);
    if (!simple)
        return 0;
    const qd::HtmlText parsed = qd::HtmlLines(html);
    if (parsed.images != 0 || parsed.cut || parsed.lines != *simple)
        __builtin_trap();
    return 0;
}
