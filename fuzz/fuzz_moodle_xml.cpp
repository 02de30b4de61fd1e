// Moodle XML import over any bytes: no harm, a fault leaves nothing
// imported, every imported bank can be written as a data file, and what
// exports comes back as the same data file.
#include <cstdint>
#include <string>
#include <string_view>

#include "bank/MoodleXml.h"
#include "bank/QuestionSource.h"
#include "shell/Failure.h"

namespace {

std::string DataFile(const qd::StoredBank& bank)
{
    try {
        return qd::WriteDataFile(bank);
    } catch (const qd::Failure&) {
        __builtin_trap();  // import promised a bank the program can read
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const qd::XmlImport imported = qd::ImportMoodleXml(bytes);
    if (imported.fault) {
        if (!imported.result.bank.questions.empty() || imported.fault->line < 1)
            __builtin_trap();
        return 0;
    }
    if (imported.result.bank.questions.empty())
        return 0;
    const std::string file = DataFile(imported.result.bank);
    const qd::ExportResult exported = qd::ExportMoodleXml(imported.result.bank);
    const qd::XmlImport again = qd::ImportMoodleXml(exported.text);
    if (again.fault || !again.result.errors.empty())
        __builtin_trap();
    if (exported.problems.empty() && DataFile(again.result.bank) != file)
        __builtin_trap();
    return 0;
}
