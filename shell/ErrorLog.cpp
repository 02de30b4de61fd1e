#include "shell/ErrorLog.h"

#include <cstdio>
#include <fstream>

#include <QLocale>

#include "shell/CodePage.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/platform/Clock.h"

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

}  // namespace

std::string FormatLogLine(const QDateTime& when, std::int16_t number, std::string_view code)
{
    const QLocale locale;
    const QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), LongTimeFormat(locale));
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
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        Raise(failure::kPathFileAccessError, "cannot create " + path.string());
    file.write(line.data(), static_cast<std::streamsize>(line.size()));
    file.close();
    if (!file)
        Raise(failure::kDeviceIOError, "cannot write " + path.string());
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
