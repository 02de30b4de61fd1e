#include "shell/ErrorLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <QLocale>

#include "shell/CodePage.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/platform/Clock.h"
#include "shell/platform/Files.h"

namespace qd {

namespace {

// The locale's long time form, without the time-zone name that some locales
// add to it: the log shows the wall-clock time only.
QString LongTimeFormat(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            kept += c;
    }
    return kept.simplified();
}

// The locale's short date form with the year in four digits, whatever
// number of digits the form itself gives it.
QString FourDigitYearFormat(const QString& format)
{
    QString kept;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('y')) {
            kept += c;
            continue;
        }
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('y'))
            ++i;
        kept += QStringLiteral("yyyy");
    }
    return kept;
}

// `text`, or `digits` where the log's code page cannot hold `text` (the
// names and digits of some locales): the line stays readable.
QString InCodePage(const QString& text, const QString& digits)
{
    return ToCodePage(text) ? text : digits;
}

// Closes a descriptor when it goes out of scope.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) { }
    ~OpenFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool WriteWhole(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Where the folder takes no new files (a read-only or unchangeable folder)
// but the log itself may be written, the log is emptied and written where it
// is: opened without following a link and without waiting, and only when
// what was opened is a regular file of this one name. False when that is not
// the case or the rewrite fails.
bool RewriteInPlace(const std::filesystem::path& path, std::string_view line)
{
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0)
        return false;  // the folder takes new files: the failure was another
    const OpenFile file(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status { };
    if (file.fd() < 0 || ::fstat(file.fd(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1)
        return false;
    return ::ftruncate(file.fd(), 0) == 0 && WriteWhole(file.fd(), line);
}

}  // namespace

std::string FormatLogLine(const QDateTime& when, std::int16_t number, std::string_view code)
{
    const QLocale locale;
    const QDate date = when.date();
    const QTime time = when.time();
    const QString stamp =
        InCodePage(locale.toString(date, FourDigitYearFormat(locale.dateFormat(QLocale::ShortFormat))),
                   date.toString(QStringLiteral("yyyy-MM-dd")))
        + QLatin1Char(' ')
        + InCodePage(locale.toString(time, LongTimeFormat(locale)), time.toString(QStringLiteral("HH:mm:ss")));
    std::string line = "Time: ";
    line += ToCodePageLossy(stamp);
    line += "Err: ";
    line += std::to_string(number);
    line += "File: :";
    line += code;
    line += "\r\n";
    return line;
}

void FileErrorLog::write(std::int16_t number, std::string_view code)
{
    const auto path = ProgramPath(kErrorLogName);
    const std::string line = FormatLogLine(TheProgram().clock().now(), number, code);
    // The line goes to a new file that is renamed over the log: the log
    // always holds one whole line, the old or the new, also when the program
    // is killed meanwhile or another copy logs at the same time. A link or
    // anything but a regular file in the log's place is never written to.
    // The log is rewritten on every failure, so it is not flushed to the
    // disk each time; a damaged data file can bring thousands of entries.
    WriteOptions options;
    options.followLinks = false;
    options.sync = false;
    try {
        WriteFileAtomically(path, line, options);
    } catch (const Failure& failure) {
        if (!RewriteInPlace(path, line))
            Raise(failure.number(), path.string() + ": " + failure.detail());
    }
}

void LogError(std::int16_t number, std::string_view code) noexcept
{
    // A log that cannot be written (a read-only program folder, a full disk)
    // drops the entry: logging must never fail the handler that called it.
    try {
        TheProgram().errorLog().write(number, code);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quizdeck: failure %d in %.*s not logged: %s\n", number, static_cast<int>(code.size()),
                     code.data(), error.what());
    } catch (...) {
        std::fprintf(stderr, "quizdeck: failure %d in %.*s not logged\n", number, static_cast<int>(code.size()),
                     code.data());
    }
}

}  // namespace qd
