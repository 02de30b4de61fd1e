// Stored questions one at a time, and the text written from them piece by
// piece: unpack and export go through a data file of 32,767 questions without
// holding its records or its whole output at once.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bank/LoadRecorder.h"
#include "bank/QuestionBank.h"

namespace qd {

// The questions of a StoredBank, handed out in order.
class StoredQuestions {
public:
    virtual ~StoredQuestions() = default;
    // The next question, valid until the next call; nullptr after the last.
    virtual const QuestionRecord* next() = 0;
    // The bank's end line.
    virtual std::optional<std::string_view> endLine() const = 0;
};

// The questions of a bank in memory.
class BankQuestions final : public StoredQuestions {
public:
    // `bank` must outlive this.
    explicit BankQuestions(const StoredBank& bank) : bank_(bank) { }

    const QuestionRecord* next() override;
    std::optional<std::string_view> endLine() const override;

private:
    const StoredBank& bank_;
    std::size_t next_ = 0;
};

// The questions of a load as StoredBankFromLoad has them, each made in turn
// in one record whose room is used again: nothing is kept of a question once
// the next one is asked for.
class LoadedQuestions final : public StoredQuestions {
public:
    // `load` and `fileBytes` must outlive this.
    LoadedQuestions(const LoadRecorder& load, std::string_view fileBytes);

    const QuestionRecord* next() override;
    std::optional<std::string_view> endLine() const override;

private:
    void place(const ReadLine& line);

    const std::vector<ReadLine>& lines_;
    std::optional<int> stoppedAt_;
    std::string_view fileBytes_;
    std::size_t next_ = 0;
    QuestionRecord question_;
};

// Text made piece by piece: kept whole, or handed to a stream a chunk at a
// time, so that a long output is neither held whole nor moved as it grows.
class TextOut {
public:
    // Keeps the text; take() gives it.
    TextOut() = default;
    // Hands the text to `stream`, which must outlive this.
    explicit TextOut(std::ostream& stream);

    // Where the pieces are appended.
    std::string& text() { return text_; }
    // Marks the end of a piece: what is kept goes to the stream once it is a
    // chunk's worth.
    void pieceDone();
    // Hands what is kept to the stream.
    void flush();
    // The text kept.
    std::string take() { return std::move(text_); }

private:
    std::string text_;
    std::ostream* stream_ = nullptr;
};

}  // namespace qd
