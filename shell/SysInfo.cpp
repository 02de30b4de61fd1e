#include "shell/SysInfo.h"

#include <array>

#include "shell/CodePage.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/platform/Files.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/ProcessStarter.h"

namespace qd {

namespace {

constexpr std::uint32_t kBufferSize = 1024;
constexpr const char* kToolName = "MSINFO32.EXE";

// Closes an opened key however the reading ends.
class OpenKey {
public:
    OpenKey(Registry& registry, HKEY key) : registry_(registry), key_(key) { }
    ~OpenKey() { registry_.RegCloseKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

private:
    Registry& registry_;
    HKEY key_;
};

void StartProgram(const std::string& path)
{
    if (!TheProgram().processStarter().start(FromCodePage(path)))
        Raise(failure::kFileNotFound, "cannot start " + path);
}

}  // namespace

bool GetKeyValue(HKEY root, const std::string& keyName, const std::string& valueName, std::string& value)
{
    Registry& registry = TheProgram().registry();
    HKEY handle = 0;
    if (registry.RegOpenKeyExA(root, keyName, 0, kSysInfoKeyAccess, &handle) != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    const OpenKey key(registry, handle);

    std::array<std::uint8_t, kBufferSize> buffer {};
    std::uint32_t size = kBufferSize;
    std::uint32_t type = 0;
    if (registry.RegQueryValueExA(key.get(), valueName, &type, buffer.data(), &size) != ERROR_SUCCESS
        || size > kBufferSize) {
        value.clear();
        return false;
    }

    if (size == 0)
        Raise(failure::kInvalidArgument, "value without data");
    std::string data(buffer.begin(), buffer.begin() + size);
    if (data.back() == '\0')
        data.pop_back();

    if (type == REG_SZ) {
        value = data;
    } else if (type == REG_DWORD) {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4; ++i)
            number |= static_cast<std::uint32_t>(i < size ? buffer[i] : 0) << (8 * i);
        value = std::to_string(number);
    }
    return true;
}

void StartSysInfo()
{
    // Every failure on the way ends in the same message, never in the log.
    const auto unavailable = [] { MsgBox(QString::fromLatin1(kSysInfoUnavailable)); };
    Steps steps({}, [&](std::int16_t) {
        unavailable();
        return AfterFailure::Return;
    });
    steps([&] {
        std::string path;
        if (GetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) {
            StartProgram(path);
            return;
        }
        if (GetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path)
            && IsNormalFile(std::filesystem::path(path) / kToolName)) {
            StartProgram((std::filesystem::path(path) / kToolName).string());
            return;
        }
        unavailable();
    });
}

}  // namespace qd
