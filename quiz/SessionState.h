// The quiz session: which section is open and which question is on screen.
#pragma once

#include <cstdint>
#include <string>

#include <QString>

namespace qd {

struct SessionState {
    QString SectionTitle;  // the open section's title, as its chooser row reads
    std::int16_t CurrentQuestion = 0;  // 1-based number of the question on screen
    std::int16_t CorrectAnswerNumber = 0;  // 1 to 4: the correct option of that question
    std::string CorrectAnswerText;  // that option's text
    std::string ReferenceText;  // the question's reference text
};

}  // namespace qd
