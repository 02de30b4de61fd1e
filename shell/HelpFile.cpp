#include "shell/HelpFile.h"

#include <string>

#include <QFile>

#include "shell/Failure.h"
#include "shell/platform/Files.h"

namespace qd {

namespace {
constexpr std::string_view kTopicMark = "@topic ";
constexpr std::size_t kLargestHelpFile = std::size_t {4} * 1024 * 1024;
}  // namespace

HelpFile HelpFile::Parse(std::string_view text)
{
    HelpFile file;
    HelpTopic* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        if (line.substr(0, kTopicMark.size()) == kTopicMark) {
            const QString header = QString::fromUtf8(line.data() + kTopicMark.size(),
                                                     static_cast<qsizetype>(line.size() - kTopicMark.size()));
            const QString number = header.section(QLatin1Char(' '), 0, 0);
            bool ok = false;
            const int topic = number.toInt(&ok);
            if (ok && topic >= 0) {
                current = &file.topics_[topic];
                *current = HelpTopic {header.mid(number.size()).trimmed(), {}};
                continue;
            }
        }
        if (current) {
            current->body += QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
            current->body += QLatin1Char('\n');
        }
    }
    return file;
}

std::optional<HelpFile> HelpFile::Load(const QString& path)
{
    // Opened without waiting and checked after the open: a FIFO in the help
    // file's place is no help file, and never blocks.
    std::string text;
    try {
        text = ReadRegularFile(QFile::encodeName(path).toStdString(), kLargestHelpFile);
    } catch (const Failure&) {
        return std::nullopt;
    }
    HelpFile help = Parse(text);
    if (help.empty())
        return std::nullopt;
    return help;
}

const HelpTopic& HelpFile::topic(int number) const
{
    auto found = topics_.find(number);
    if (found == topics_.end())
        found = topics_.find(kHelpContentsTopic);
    if (found == topics_.end())
        found = topics_.begin();
    return found->second;
}

}  // namespace qd
