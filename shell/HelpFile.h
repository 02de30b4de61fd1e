// The application help file: topics addressed by their help context numbers.
//
// The file is UTF-8 text. A line "@topic NUMBER Title" starts a topic; the
// lines up to the next such line are its body, in Markdown. Topic 0 is the
// contents, shown for a number the file does not know.
#pragma once

#include <map>
#include <optional>
#include <string_view>

#include <QString>

namespace qd {

inline constexpr int kHelpContentsTopic = 0;

struct HelpTopic {
    QString title;
    QString body;  // Markdown
};

class HelpFile {
public:
    static HelpFile Parse(std::string_view text);
    // Nothing when the file cannot be read or holds no topic.
    static std::optional<HelpFile> Load(const QString& path);

    bool empty() const { return topics_.empty(); }
    // The topic, or the contents topic (or the first one) for a number the file lacks.
    const HelpTopic& topic(int number) const;
    bool contains(int number) const { return topics_.count(number) != 0; }

private:
    std::map<int, HelpTopic> topics_;
};

}  // namespace qd
