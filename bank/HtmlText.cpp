#include "bank/HtmlText.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <new>

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

    HtmlText result() const
    {
        HtmlText result;
        result.images = images_;
        std::size_t pos = 0;
        while (pos <= text_.size()) {
            const std::size_t end = std::min(text_.find(U'\n', pos), text_.size());
            const std::u32string_view line = TrimmedBlanks(std::u32string_view(text_).substr(pos, end - pos));
            if (!line.empty())
                result.lines.emplace_back(line);
            pos = end + 1;
        }
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
            text_ += U'\n';
            return;
        }
        const bool block = IsOneOf(name, kBlocks);
        if (block)
            text_ += U'\n';
        walk(node->children);
        if (block)
            text_ += U'\n';
    }

    void text(const xmlChar* content)
    {
        if (!content)
            return;
        for (const char32_t code : DecodeUtf8(reinterpret_cast<const char*>(content))) {
            if (!IsHtmlSpace(code))
                text_ += code == kNoBreakSpace ? U' ' : code;
            else if (!text_.empty() && text_.back() != U' ' && text_.back() != U'\n')
                text_ += U' ';
        }
    }

    std::u32string text_;
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
    const std::string bytes = EncodeUtf8(html);
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {};
    constexpr int kOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    const std::unique_ptr<htmlParserCtxt, ContextFree> context(htmlNewParserCtxt());
    if (!context)
        throw std::bad_alloc();
    const std::unique_ptr<xmlDoc, DocumentFree> document(
        htmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8", kOptions));
    // A reader that halts (elements nested deeper than it follows) keeps
    // what it read so far, and says nothing with its errors switched off.
    const bool halted = context->disableSAX != 0;
    if (!document)
        return {{}, 0, halted};
    PlainText plain;
    plain.walk(xmlDocGetRootElement(document.get()));
    HtmlText result = plain.result();
    result.cut = halted;
    return result;
}

}  // namespace qd
