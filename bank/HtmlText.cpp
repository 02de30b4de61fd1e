#include "bank/HtmlText.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include "bank/Text.h"

namespace qd {

namespace {

constexpr std::array<std::string_view, 4> kHidden = {"script", "style", "head", "title"};

constexpr std::array<std::string_view, 26> kBlocks = {
    "p",       "div", "li",      "ul",      "ol",     "dl",     "dt",     "dd",         "h1",
    "h2",      "h3",  "h4",      "h5",      "h6",     "table",  "tr",     "pre",        "blockquote",
    "address", "hr",  "section", "article", "header", "footer", "figure", "figcaption",
};

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsHtmlSpace(char32_t code)
{
    return code == U' ' || code == U'\t' || code == U'\n' || code == U'\r' || code == U'\f';
}

constexpr char32_t kNoBreakSpace = 0xA0;

// Collects what a reader sees: '\n' for the end of a line.
class PlainText {
public:
    void walk(const xmlNode* node)
    {
        for (; node; node = node->next) {
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
                text(node->content);
            else if (node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE
                     || node->type == XML_HTML_DOCUMENT_NODE)
                element(node);
        }
    }

    HtmlUtf8Text result(std::size_t most)
    {
        std::vector<std::pair<std::size_t, std::size_t>> spans;  // of the lines that are not empty
        for (std::size_t pos = 0; pos <= text_.size() && spans.size() < most;) {
            const std::size_t end = std::min(text_.find('\n', pos), text_.size());
            const std::size_t first = std::min(text_.find_first_not_of(" \t", pos), end);
            std::size_t last = end;
            while (last > first && (text_[last - 1] == ' ' || text_[last - 1] == '\t'))
                --last;
            if (last > first)
                spans.emplace_back(first, last);
            pos = end + 1;
        }
        HtmlUtf8Text result;
        result.images = images_;
        if (spans.size() == 1) {  // one line, maybe huge: the text becomes it, not a copy
            text_.erase(spans.front().second);
            text_.erase(0, spans.front().first);
            result.lines.push_back(std::move(text_));
        } else {
            for (const auto& [first, last] : spans)
                result.lines.push_back(text_.substr(first, last - first));
        }
        text_ = std::string();
        return result;
    }

private:
    void element(const xmlNode* node)
    {
        const std::string_view name = node->name ? reinterpret_cast<const char*>(node->name) : "";
        if (IsOneOf(name, kHidden))
            return;
        if (name == "img") {
            ++images_;
            return;
        }
        if (name == "br") {
            text_ += '\n';
            return;
        }
        const bool block = IsOneOf(name, kBlocks);
        if (block)
            text_ += '\n';
        walk(node->children);
        if (block)
            text_ += '\n';
    }

    void text(const xmlChar* content)
    {
        if (!content)
            return;
        const std::string_view bytes = reinterpret_cast<const char*>(content);
        for (std::size_t pos = 0; pos < bytes.size();) {
            const Utf8Char c = DecodeUtf8At(bytes, pos);
            const std::size_t length = c.length == 0 ? 1 : c.length;
            if (!IsHtmlSpace(c.code)) {
                if (c.code == kNoBreakSpace)
                    text_ += ' ';
                else if (c.length == 0)
                    text_ += "\xEF\xBF\xBD";  // U+FFFD for a byte of no character
                else
                    text_.append(bytes, pos, length);
            } else if (!text_.empty() && text_.back() != ' ' && text_.back() != '\n') {
                text_ += ' ';
            }
            pos += length;
        }
    }

    std::string text_;  // UTF-8
    std::size_t images_ = 0;
};

struct DocumentFree {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

struct ContextFree {
    void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};

}  // namespace

HtmlText HtmlLines(std::u32string_view html)
{
    HtmlUtf8Text utf8 = HtmlLinesOf(EncodeUtf8(html));
    HtmlText result;
    result.images = utf8.images;
    result.cut = utf8.cut;
    for (const std::string& line : utf8.lines)
        result.lines.push_back(DecodeUtf8(line));
    return result;
}

HtmlUtf8Text HtmlLinesOf(std::string_view html, std::size_t most)
{
    if (html.empty() || html.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {};
    constexpr int kOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    const std::unique_ptr<htmlParserCtxt, ContextFree> context(htmlNewParserCtxt());
    if (!context)
        throw std::bad_alloc();
    const std::unique_ptr<xmlDoc, DocumentFree> document(
        htmlCtxtReadMemory(context.get(), html.data(), static_cast<int>(html.size()), nullptr, "UTF-8", kOptions));
    // A reader that halts (elements nested deeper than it follows) keeps
    // what it read so far, and says nothing with its errors switched off.
    const bool halted = context->disableSAX != 0;
    if (!document)
        return {{}, 0, halted};
    PlainText plain;
    plain.walk(xmlDocGetRootElement(document.get()));
    HtmlUtf8Text result = plain.result(most);
    result.cut = halted;
    return result;
}

}  // namespace qd
