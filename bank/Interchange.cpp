#include "bank/Interchange.h"

#include <algorithm>
#include <utility>

#include "bank/Convert.h"
#include "bank/InterchangeParts.h"
#include "bank/MoodleXml.h"
#include "bank/StoredQuestions.h"
#include "shell/CodePage.h"
#include "shell/Failure.h"
#include "shell/platform/Memory.h"

namespace qd {

namespace interchange {

std::u32string CharactersOf(std::string_view bytes)
{
    std::u32string characters(bytes.size(), U'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        characters[i] = CodePageCharacter(bytes[i]);
    return characters;
}

std::string Utf8Text(std::string_view bytes)
{
    return EncodeUtf8(CharactersOf(bytes));
}

std::optional<int> NumberIn(std::string_view text)
{
    try {
        return ToInteger16(text);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

SourceError InvalidUtf8(int line)
{
    return {line, "not valid UTF-8"};
}

namespace {

bool ByLine(const SourceError& a, const SourceError& b)
{
    return a.line < b.line;
}

}  // namespace

void BankBuilder::expect(std::size_t bytes)
{
    // Some 128 bytes of a source a question; a source of smaller ones only
    // makes the bank grow as it goes.
    constexpr std::size_t kQuestionBytes = 128;
    if (!writer_) {
        ReserveLarge(result_.bank.questions,
                     std::min(bytes / kQuestionBytes + 1, static_cast<std::size_t>(kMaxQuestions)));
        return;
    }
    // A data file is about twice its GIFT or Aiken source (the scrambled
    // check header and the reference Aiken has no place for); only what is
    // written of the room is ever touched.
    ReserveLarge(result_.dataFile, bytes / 2 * 5 + 4096);
}

void BankBuilder::keep(QuestionRecord&& question)
{
    ++result_.imported;
    if (!writer_) {
        result_.bank.questions.push_back(std::move(question));
        return;
    }
    if (result_.writeFailure)
        return;
    try {
        writer_->add(question);
    } catch (const Failure& failure) {
        result_.writeFailure = failure.detail();
    }
}

void BankBuilder::add(Outcome outcome, int firstLine, HeldNotes* held)
{
    if (outcome.question && result_.imported == static_cast<std::size_t>(kMaxQuestions))
        outcome = Rejected({firstLine, "more than 32767 questions; the program reads no further"});
    const bool imported = outcome.question.has_value();
    if (imported)
        keep(std::move(*outcome.question));
    else
        ++result_.skipped;
    std::vector<SourceError>& messages = imported ? outcome.notes : outcome.errors;
    if (messages.size() > 1)  // a sort of one would still ask for a buffer
        std::stable_sort(messages.begin(), messages.end(), ByLine);
    for (SourceError& message : messages) {
        if (held)
            release(*held, message.line);
        report(std::move(message), imported);
    }
    if (held)
        release(*held);
}

void BankBuilder::error(int line, std::string message)
{
    report({line, std::move(message)}, false);
}

void BankBuilder::note(int line, std::string message)
{
    report({line, std::move(message)}, true);
}

void BankBuilder::release(HeldNotes& held, int line)
{
    const auto end = std::lower_bound(held.lines.begin(), held.lines.end(), line);
    for (auto at = held.lines.begin(); at != end; ++at)
        note(*at, std::string(held.message));
    held.lines.erase(held.lines.begin(), end);
}

void BankBuilder::report(SourceError message, bool note)
{
    ++(note ? result_.noteCount : result_.errorCount);
    if (messages_)
        note ? messages_->note(message) : messages_->error(message);
    else
        (note ? result_.notes : result_.errors).push_back(std::move(message));
}

ImportResult BankBuilder::finish()
{
    std::stable_sort(result_.errors.begin(), result_.errors.end(), ByLine);
    std::stable_sort(result_.notes.begin(), result_.notes.end(), ByLine);
    return std::move(result_);
}

}  // namespace interchange

ImportResult ImportQuestions(InterchangeFormat format, std::string_view utf8)
{
    if (format == InterchangeFormat::Xml)
        return ImportXmlQuestions(utf8);
    return format == InterchangeFormat::Gift ? ImportGift(utf8) : ImportAiken(utf8);
}

ExportResult ExportQuestions(InterchangeFormat format, StoredQuestions& questions, TextOut& out)
{
    if (format == InterchangeFormat::Xml)
        return ExportMoodleXml(questions, out);
    return format == InterchangeFormat::Gift ? ExportGift(questions, out) : ExportAiken(questions, out);
}

ExportResult ExportQuestions(InterchangeFormat format, const StoredBank& bank)
{
    BankQuestions questions(bank);
    TextOut out;
    ExportResult result = ExportQuestions(format, questions, out);
    result.text = out.take();
    return result;
}

ExportResult ExportGift(const StoredBank& bank)
{
    return ExportQuestions(InterchangeFormat::Gift, bank);
}

ExportResult ExportAiken(const StoredBank& bank)
{
    return ExportQuestions(InterchangeFormat::Aiken, bank);
}

ExportResult ExportMoodleXml(const StoredBank& bank)
{
    return ExportQuestions(InterchangeFormat::Xml, bank);
}

}  // namespace qd
