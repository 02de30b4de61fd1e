#include "shell/platform/Files.h"

#include <system_error>

namespace qd {

std::filesystem::path ExecutableFolder()
{
    std::error_code error;
    const auto executable = std::filesystem::canonical("/proc/self/exe", error);
    if (error)
        return std::filesystem::current_path(error);
    return executable.parent_path();
}

bool IsNormalFile(const std::filesystem::path& path)
{
    const auto name = path.filename().string();
    if (name.empty() || name.front() == '.')
        return false;
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace qd
