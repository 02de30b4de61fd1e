// Reading Moodle XML as a stream with libxml2's SAX interface: no tree is
// built, each <question> is collected alone and handed over when it ends.
#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include "bank/MoodleXmlParts.h"
#include "bank/Text.h"

namespace qd::moodlexml {

namespace {

// Bytes handed to the parser at a time.
constexpr std::size_t kChunkBytes = std::size_t {256} * 1024;
// The most of a name or a setting kept: enough to quote it in a message.
constexpr std::size_t kShortText = 256;

std::string_view NameOf(const xmlChar* name)
{
    return name ? std::string_view(reinterpret_cast<const char*>(name)) : std::string_view();
}

// An element's name as it is written: "quiz", or "x:quiz" with a prefix
// (kept in `prefixed`).
std::string_view WrittenName(const xmlChar* localName, const xmlChar* prefix, std::string& prefixed)
{
    if (!prefix)
        return NameOf(localName);
    prefixed = std::string(NameOf(prefix)) + ':' + std::string(NameOf(localName));
    return prefixed;
}

void AppendBounded(std::string& text, std::string_view more, std::size_t bound, bool* tooLong = nullptr)
{
    if (text.size() + more.size() > bound) {
        if (tooLong)
            *tooLong = true;
        more = more.substr(0, bound > text.size() ? bound - text.size() : 0);
    }
    text.append(more);
}

bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// What an element is to the reader.
enum class Role {
    Ignored,  // anything the import does not read
    Root,
    Question,
    Name,
    NameText,
    Holder,  // questiontext, generalfeedback, answer: an element with a text
    Text,  // the first <text> of a holder
    Feedback,  // the <feedback> of an answer
    FeedbackText,
    Hint,
    HintText,
    Setting,  // <single>, <shuffleanswers>, <image>, <image_base64>
};

struct Frame {
    Role role = Role::Ignored;
    XmlText* text = nullptr;  // of a holder and its <text>
    std::string* setting = nullptr;  // of a setting
    bool childTextSeen = false;  // a holder's or feedback's first <text> has started
    const xmlChar* name = nullptr;  // the parser's own copy, kept for the whole parse
    int line = 0;
};

// The one fault of a file: the first reason it cannot be read.
XmlFault ParserFault(const xmlError& error)
{
    std::string message = error.message ? error.message : "not well-formed";
    message.resize(std::min(message.size(), message.find('\n')));
    while (!message.empty() && IsXmlSpace(message.back()))
        message.pop_back();
    if (message.rfind("Input is not proper UTF-8", 0) == 0)
        return {error.line, error.int2, "not valid UTF-8; only UTF-8 files are read: save the file as UTF-8"};
    if (error.code == XML_ERR_UNDECLARED_ENTITY || error.code == XML_WAR_UNDECLARED_ENTITY)
        message += " (an XML file knows only &amp; &lt; &gt; &quot; &apos;: write HTML such as &nbsp; in CDATA)";
    return {error.line, error.int2, "not well-formed XML: " + message};
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return lowered;
}

// The encoding an XML declaration names, and where its value starts.
std::optional<std::pair<std::string, std::size_t>> DeclaredEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 5) != "<?xml")
        return std::nullopt;
    const std::string_view declaration = bytes.substr(0, std::min(bytes.find("?>"), std::size_t {1024}));
    std::size_t pos = declaration.find("encoding");
    if (pos == std::string_view::npos)
        return std::nullopt;
    pos = declaration.find_first_of("\"'", pos);
    if (pos == std::string_view::npos)
        return std::nullopt;
    const std::size_t end = declaration.find(declaration[pos], pos + 1);
    if (end == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(std::string(declaration.substr(pos + 1, end - pos - 1)), pos + 1);
}

// A file in another encoding than UTF-8, found before it is parsed.
std::optional<XmlFault> EncodingFault(std::string_view bytes)
{
    const std::string_view start = bytes.substr(0, 4);
    if (start.substr(0, 2) == "\xFE\xFF" || start.substr(0, 2) == "\xFF\xFE"
        || start.find('\0') != std::string_view::npos)
        return XmlFault {1, 1, "the file is in UTF-16 or UTF-32; only UTF-8 files are read: save the file as UTF-8"};
    const std::string_view text = WithoutByteOrderMark(bytes);
    const auto encoding = DeclaredEncoding(text);
    if (!encoding || Lowered(encoding->first) == "utf-8" || Lowered(encoding->first) == "utf8")
        return std::nullopt;
    const std::size_t column = encoding->second + 1 + (bytes.size() - text.size());
    return XmlFault {1, static_cast<int>(column),
                     "the file declares the encoding " + Quoted(encoding->first)
                         + "; only UTF-8 files are read: save the file as UTF-8"};
}

class Reader {
public:
    explicit Reader(const XmlSink& sink) : sink_(sink) { }

    std::optional<XmlFault> read(std::string_view bytes)
    {
        if (auto fault = EncodingFault(bytes))
            return fault;
        const std::string_view text = WithoutByteOrderMark(bytes);
        if (std::all_of(text.begin(), text.end(), IsXmlSpace))
            return XmlFault {1, 1, "the file is empty"};
        xmlSAXHandler handler {};
        handler.initialized = XML_SAX2_MAGIC;
        handler.startElementNs = &Reader::onStart;
        handler.endElementNs = &Reader::onEnd;
        handler.characters = &Reader::onText;
        handler.ignorableWhitespace = &Reader::onText;
        handler.cdataBlock = &Reader::onText;
        handler.entityDecl = &Reader::onEntityDeclaration;
        handler.reference = &Reader::onReference;
        handler.serror = &Reader::onError;
        const std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> context(
            xmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr), xmlFreeParserCtxt);
        if (!context)
            return XmlFault {1, 1, "the XML parser cannot start"};
        context_ = context.get();
        xmlCtxtUseOptions(context_, XML_PARSE_NONET);
        for (std::size_t offset = 0; offset < bytes.size() && !fault_; offset += kChunkBytes) {
            const std::size_t size = std::min(kChunkBytes, bytes.size() - offset);
            xmlParseChunk(context_, bytes.data() + offset, static_cast<int>(size), 0);
        }
        if (!fault_)
            xmlParseChunk(context_, nullptr, 0, 1);
        if (failure_)
            std::rethrow_exception(failure_);
        if (!fault_ && !context_->wellFormed)
            fault_ = XmlFault {line(), column(), "not well-formed XML"};
        if (context_->myDoc)
            xmlFreeDoc(context_->myDoc);
        return fault_;
    }

private:
    static Reader& self(void* data) { return *static_cast<Reader*>(data); }

    int line() const { return context_ && context_->input ? context_->input->line : 1; }
    int column() const { return context_ && context_->input ? context_->input->col : 1; }

    void stop(std::string message)
    {
        if (!fault_)
            fault_ = XmlFault {line(), column(), std::move(message)};
        xmlStopParser(context_);
    }

    static void onError(void* data, xmlErrorPtr error)
    {
        Guarded(data, [&](Reader& reader) {
            if (!error || reader.fault_ || error->level == XML_ERR_WARNING || error->domain == XML_FROM_NAMESPACE)
                return;
            reader.fault_ = ParserFault(*error);
            if (error->code == XML_ERR_DOCUMENT_END && !reader.frames_.empty()) {
                const Frame& open = reader.frames_.back();
                reader.fault_->message = "the file ends inside <" + std::string(NameOf(open.name)) + "> (line "
                    + std::to_string(open.line) + "): is it cut short?";
            }
        });
    }

    static void onEntityDeclaration(void* data, const xmlChar* name, int, const xmlChar*, const xmlChar*, xmlChar*)
    {
        Guarded(data, [&](Reader& reader) {
            reader.stop("the file declares the entity " + Quoted(NameOf(name))
                        + "; entity declarations are refused (they can load files or grow without bound)");
        });
    }

    static void onReference(void* data, const xmlChar* name)
    {
        Guarded(data, [&](Reader& reader) {
            reader.stop("the entity &" + std::string(NameOf(name))
                        + "; is not declared; an XML file knows only &amp; &lt; &gt; &quot; &apos;");
        });
    }

    // Runs a callback's work; what it throws stops the parse, and is thrown
    // again once the parser has returned: no exception crosses the parser.
    template <typename Work>
    static void Guarded(void* data, Work work)
    {
        Reader& reader = self(data);
        if (reader.failure_)
            return;
        try {
            work(reader);
        } catch (...) {
            reader.failure_ = std::current_exception();
            xmlStopParser(reader.context_);
        }
    }

    static void onStart(void* data, const xmlChar* localName, const xmlChar* prefix, const xmlChar*, int,
                        const xmlChar**, int attributeCount, int, const xmlChar** attributes)
    {
        Guarded(data, [&](Reader& reader) { reader.startElement(localName, prefix, {attributes, attributeCount}); });
    }

    static void onEnd(void* data, const xmlChar*, const xmlChar*, const xmlChar*)
    {
        Guarded(data, [](Reader& reader) { reader.end(); });
    }

    static void onText(void* data, const xmlChar* bytes, int length)
    {
        Guarded(data, [&](Reader& reader) {
            if (!reader.frames_.empty() && length > 0)
                reader.text(reader.frames_.back(),
                            std::string_view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length)));
        });
    }

    // The attributes of a start tag: five pointers each, the value between the last two.
    struct Attributes {
        const xmlChar** values;
        int count;

        std::optional<std::string> get(std::string_view name) const
        {
            for (int i = 0; i < count; ++i) {
                const xmlChar** attribute = values + static_cast<std::ptrdiff_t>(i) * 5;
                if (attribute[1] == nullptr && NameOf(attribute[0]) == name) {
                    const auto* begin = reinterpret_cast<const char*>(attribute[3]);
                    const auto* end = reinterpret_cast<const char*>(attribute[4]);
                    return std::string(begin,
                                       static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - begin, kShortText)));
                }
            }
            return std::nullopt;
        }
    };

    void startElement(const xmlChar* localName, const xmlChar* prefix, const Attributes& attributes)
    {
        if (frames_.size() >= static_cast<std::size_t>(kMaxXmlDepth))
            return stop("elements nested more than " + std::to_string(kMaxXmlDepth) + " deep");
        std::string prefixed;
        Frame frame = start(WrittenName(localName, prefix, prefixed), attributes);
        frame.name = localName;
        frame.line = line();
        frames_.push_back(frame);
    }

    void end()
    {
        if (frames_.empty())
            return;
        if (frames_.back().role == Role::Question)
            endQuestion();
        frames_.pop_back();
    }

    Frame start(std::string_view name, const Attributes& attributes)
    {
        if (frames_.empty())
            return root(name);
        Frame& parent = frames_.back();
        switch (parent.role) {
        case Role::Root:
            return name == "question" ? question(attributes) : Frame {};
        case Role::Question:
            return questionPart(name, attributes);
        case Role::Name:
            return name == "text" && !std::exchange(parent.childTextSeen, true) ? Frame {Role::NameText} : Frame {};
        case Role::Holder:
            return holderPart(parent, name);
        case Role::Text:
            parent.text->textHasElements = true;
            return Frame {};
        case Role::Feedback:
            return name == "text" && !std::exchange(parent.childTextSeen, true) ? Frame {Role::FeedbackText} : Frame {};
        case Role::Hint:
            return name == "text" ? Frame {Role::HintText} : Frame {};
        default:
            return Frame {};
        }
    }

    Frame root(std::string_view name)
    {
        if (name == "quiz")
            return Frame {Role::Root};
        if (sink_.wrongRoot)
            sink_.wrongRoot(line(), std::string(name));
        return Frame {};
    }

    Frame question(const Attributes& attributes)
    {
        if (++questions_ > kMaxXmlQuestions) {
            stop("more than " + std::to_string(kMaxXmlQuestions)
                 + " questions; a data file holds 32,767: split the file");
            return Frame {};
        }
        question_ = XmlQuestion {};
        image_.reset();
        imageData_.reset();
        question_.line = line();
        question_.type = attributes.get("type");
        question_.answers.reserve(kKeptAnswers);
        return Frame {Role::Question};
    }

    // A picture in the old form: a name and its data, both given.
    static bool Given(const std::optional<std::string>& value) { return value && !value->empty() && *value != "0"; }

    void endQuestion()
    {
        question_.oldImage = Given(image_) && Given(imageData_);
        if (sink_.question)
            sink_.question(std::move(question_));
    }

    Frame holder(XmlText& text, const Attributes& attributes)
    {
        if (text.present)
            return Frame {};
        text.present = true;
        text.line = line();
        text.format = attributes.get("format");
        return Frame {Role::Holder, &text};
    }

    Frame setting(std::optional<std::string>& value)
    {
        if (value)
            return Frame {};
        value.emplace();
        return Frame {Role::Setting, nullptr, &*value};
    }

    Frame questionPart(std::string_view name, const Attributes& attributes)
    {
        if (name == "answer") {
            if (question_.answerCount++ >= kKeptAnswers)
                return Frame {};
            question_.answers.emplace_back();
            XmlAnswer& answer = question_.answers.back();
            answer.line = line();
            answer.fraction = attributes.get("fraction");
            return holder(answer.text, attributes);
        }
        if (name == "questiontext")
            return holder(question_.questionText, attributes);
        if (name == "generalfeedback")
            return holder(question_.generalFeedback, attributes);
        if (name == "name")
            return question_.name.empty() ? Frame {Role::Name} : Frame {};
        if (name == "single")
            return setting(question_.single);
        if (name == "shuffleanswers")
            return setting(question_.shuffleAnswers);
        if (name == "image")
            return setting(image_);
        if (name == "image_base64")
            return setting(imageData_);
        if (name == "hint")
            return Frame {Role::Hint};
        return Frame {};
    }

    Frame holderPart(Frame& parent, std::string_view name)
    {
        if (name == "file") {
            parent.text->files = true;
            return Frame {};
        }
        if (name == "text" && !std::exchange(parent.childTextSeen, true)) {
            parent.text->line = line();
            return Frame {Role::Text, parent.text};
        }
        if (name == "feedback" && !question_.answers.empty() && parent.text == &question_.answers.back().text)
            return Frame {Role::Feedback};
        return Frame {};
    }

    void text(const Frame& frame, std::string_view bytes)
    {
        switch (frame.role) {
        case Role::Text:
            AppendBounded(frame.text->text, bytes, kMaxXmlTextBytes, &frame.text->tooLong);
            break;
        case Role::NameText:
            AppendBounded(question_.name, bytes, kShortText);
            break;
        case Role::Setting:
            AppendBounded(*frame.setting, bytes, kShortText);
            break;
        case Role::FeedbackText:
            if (!std::all_of(bytes.begin(), bytes.end(), IsXmlSpace))
                question_.answers.back().feedback = true;
            break;
        case Role::HintText:
            question_.hints = question_.hints || !std::all_of(bytes.begin(), bytes.end(), IsXmlSpace);
            break;
        default:
            break;
        }
    }

    const XmlSink& sink_;
    xmlParserCtxtPtr context_ = nullptr;
    std::vector<Frame> frames_;
    XmlQuestion question_;
    std::optional<std::string> image_;
    std::optional<std::string> imageData_;
    std::size_t questions_ = 0;
    std::optional<XmlFault> fault_;
    std::exception_ptr failure_;  // thrown in a callback; no exception crosses the parser
};

}  // namespace

std::optional<XmlFault> ReadMoodleXml(std::string_view bytes, const XmlSink& sink)
{
    Reader reader(sink);
    return reader.read(bytes);
}

}  // namespace qd::moodlexml
