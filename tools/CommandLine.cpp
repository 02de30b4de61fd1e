#include "tools/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "bank/Descrambler.h"
#include "bank/QuestionRecords.h"
#include "tools/Messages.h"

namespace qd::tool {

namespace {

// Latin-1 keeps every byte as one character and gives it back unchanged.
QString ToQString(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

// An option as it is written on the command line.
std::string Written(const QString& name)
{
    return (name.size() == 1 ? "-" : "--") + ToBytes(name);
}

bool TakesValue(const QString& argument)
{
    return argument == u"--key" || argument == u"-o" || argument == u"--format";
}

class Parser {
public:
    explicit Parser(AllowedOptions allowed) : allowed_(allowed)
    {
        parser_.addOption(help_);
        parser_.addOption(version_);
        if (allowed.key)
            parser_.addOption(key_);
        if (allowed.output)
            parser_.addOption(output_);
        if (allowed.format)
            parser_.addOption(format_);
    }

    // Reads `args` from `first` on; a command line that does not parse is a UsageError.
    void parse(const std::vector<std::string>& args, std::size_t first, const std::string& command)
    {
        QStringList list {QStringLiteral("quizdeck-bank")};
        for (std::size_t i = first; i < args.size(); ++i)
            list.append(ToQString(args[i]));
        if (!parser_.parse(list))
            throw UsageError(mistake(list, command));
        if (parser_.isSet(help_))
            throw HelpRequest {};
        if (parser_.isSet(version_))
            throw VersionRequest {};
    }

    Options options() const
    {
        Options options;
        for (const QString& operand : parser_.positionalArguments())
            options.operands.push_back(ToBytes(operand));
        options.key = once(allowed_.key, key_);
        options.output = once(allowed_.output, output_);
        options.format = once(allowed_.format, format_);
        return options;
    }

private:
    std::string mistake(const QStringList& list, const std::string& command) const
    {
        const QStringList unknown = parser_.unknownOptionNames();
        if (!unknown.isEmpty())
            return "unknown option " + Quoted(Written(unknown.front())) + (command.empty() ? "" : " for " + command);
        if (TakesValue(list.back()))
            return ToBytes(list.back()) + " needs a value";
        return ToBytes(parser_.errorText());
    }

    // The value of an allowed option given at most once; the parser warns about others.
    std::optional<std::string> once(bool allowed, const QCommandLineOption& option) const
    {
        if (!allowed)
            return std::nullopt;
        const QStringList values = parser_.values(option);
        if (values.size() > 1)
            throw UsageError(Written(option.names().front()) + " given twice");
        if (values.isEmpty())
            return std::nullopt;
        return ToBytes(values.front());
    }

    const AllowedOptions allowed_;
    QCommandLineParser parser_;
    const QCommandLineOption help_ {{QStringLiteral("h"), QStringLiteral("help")}};
    const QCommandLineOption version_ {QStringLiteral("version")};
    const QCommandLineOption key_ {QStringLiteral("key"), {}, QStringLiteral("KEY")};
    const QCommandLineOption output_ {QStringLiteral("o"), {}, QStringLiteral("FILE")};
    const QCommandLineOption format_ {QStringLiteral("format"), {}, QStringLiteral("FORMAT")};
};

std::string Lowered(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::optional<InterchangeFormat> FormatOfFileName(const std::string& fileName)
{
    const std::string name = Lowered(fileName);
    if (EndsWith(name, ".gift"))
        return InterchangeFormat::Gift;
    if (EndsWith(name, ".aiken") || EndsWith(name, ".txt"))
        return InterchangeFormat::Aiken;
    if (EndsWith(name, ".xml"))
        return InterchangeFormat::Xml;
    return std::nullopt;
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args, AllowedOptions allowed)
{
    Parser parser(allowed);
    parser.parse(args, 1, args.front());
    return parser.options();
}

void ParseWithoutCommand(const std::vector<std::string>& args)
{
    Parser parser({});
    parser.parse(args, 0, {});
    throw UsageError("no command");
}

void ExpectOperands(const Options& options, std::size_t count, const std::string& what)
{
    if (options.operands.size() != count)
        throw UsageError(what);
}

std::string KeyOf(const Options& options)
{
    std::string key = options.key.value_or(std::string(kQuestionKey));
    if (key.empty() || key.size() > kMaxKeyLength)
        throw UsageError("the key must be 1 to 255 bytes long");
    return key;
}

InterchangeFormat FormatOf(const Options& options, const std::string& command, const std::string& fileName)
{
    if (!options.format) {
        if (const auto format = FormatOfFileName(fileName))
            return *format;
        throw UsageError(
            command + " needs --format gift, aiken or xml"
            + (fileName.empty() ? "" : " (" + Quoted(fileName) + " ends in none of .gift, .aiken, .txt and .xml)"));
    }
    const std::string name = Lowered(*options.format);
    if (name == "gift")
        return InterchangeFormat::Gift;
    if (name == "aiken")
        return InterchangeFormat::Aiken;
    if (name == "xml")
        return InterchangeFormat::Xml;
    throw UsageError("unknown format " + Quoted(*options.format) + "; use gift, aiken or xml");
}

}  // namespace qd::tool
