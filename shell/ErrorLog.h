// The error log: one line in "Kestrel.err" in the program folder, the latest
// failure that a routine handled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QDateTime>

namespace qd {

inline constexpr const char* kErrorLogName = "Kestrel.err";

// Writes one log entry. Called only from failure handlers.
void LogError(std::int16_t number, std::string_view code) noexcept;

// The entry's text, line end included:
// "Time: " date time "Err: " number "File: :" code CR LF.
std::string FormatLogLine(const QDateTime& when, std::int16_t number, std::string_view code);

// Where entries go. The real writer rewrites the log file; the bank tool
// discards them, as it reports every problem on its standard error.
class ErrorLogWriter {
public:
    virtual ~ErrorLogWriter() = default;
    virtual void write(std::int16_t number, std::string_view code) = 0;
};

// Keeps nothing: for the bank tool, and the fuzzers and benchmarks, which fail on purpose.
class DiscardingErrorLog final : public ErrorLogWriter {
public:
    void write(std::int16_t, std::string_view) override { }
};

class FileErrorLog final : public ErrorLogWriter {
public:
    // Replaces the log file with the one line, all or nothing. Where the
    // folder takes no new files, a log that is a writable regular file of
    // one name is rewritten in place instead. Throws Failure when neither
    // can be done, or when the log's name is a link or anything but a
    // regular file.
    void write(std::int16_t number, std::string_view code) override;
};

}  // namespace qd
