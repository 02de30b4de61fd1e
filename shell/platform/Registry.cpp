#include "shell/platform/Registry.h"

#include <algorithm>
#include <cstring>

#include <QStandardPaths>
#include <QStringList>

namespace qd {

namespace {

constexpr const char* kMsInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

// Key names compare without regard to case, as they always have.
std::string Folded(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

}  // namespace

void InMemoryRegistry::setValue(const std::string& key, const std::string& name, std::uint32_t type,
                                std::vector<std::uint8_t> data)
{
    keys_[Folded(key)][Folded(name)] = Value {type, std::move(data)};
}

void InMemoryRegistry::setString(const std::string& key, const std::string& name, const std::string& text,
                                 std::uint32_t type)
{
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    setValue(key, name, type, std::move(data));
}

void InMemoryRegistry::refuseAccess(const std::string& key, std::uint32_t rights)
{
    refused_[Folded(key)] = rights;
}

long InMemoryRegistry::RegOpenKeyExA(HKEY root, const std::string& subKey, std::uint32_t /*options*/,
                                     std::uint32_t access, HKEY* result)
{
    if (root != HKEY_LOCAL_MACHINE || !result)
        return ERROR_INVALID_HANDLE;
    const std::string key = Folded(subKey);
    if (keys_.count(key) == 0)
        return ERROR_FILE_NOT_FOUND;
    const auto refused = refused_.find(key);
    if (refused != refused_.end() && (refused->second & access) != 0)
        return ERROR_ACCESS_DENIED;
    *result = nextHandle_++;
    open_[*result] = key;
    return ERROR_SUCCESS;
}

long InMemoryRegistry::RegQueryValueExA(HKEY key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                                        std::uint32_t* dataSize)
{
    const auto open = open_.find(key);
    if (open == open_.end())
        return ERROR_INVALID_HANDLE;
    const auto& values = keys_[open->second];
    const auto value = values.find(Folded(valueName));
    if (value == values.end())
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->second.type;
    const auto size = static_cast<std::uint32_t>(value->second.data.size());
    if (!dataSize)
        return ERROR_SUCCESS;
    const std::uint32_t room = *dataSize;
    *dataSize = size;
    if (!data)
        return ERROR_SUCCESS;
    if (size > room)
        return ERROR_MORE_DATA;
    std::copy(value->second.data.begin(), value->second.data.end(), data);
    return ERROR_SUCCESS;
}

void InMemoryRegistry::removeValue(const std::string& key, const std::string& name)
{
    const auto found = keys_.find(Folded(key));
    if (found == keys_.end())
        return;
    found->second.erase(Folded(name));
    if (found->second.empty())
        keys_.erase(found);
}

long InMemoryRegistry::RegCloseKey(HKEY key)
{
    return open_.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

const std::vector<std::string>& DesktopRegistry::Candidates()
{
    static const std::vector<std::string> candidates = {
        "kinfocenter",  // KDE
        "gnome-system-monitor",  // GNOME
        "xfce4-about",  // Xfce
        "hardinfo",
    };
    return candidates;
}

const std::vector<std::string>& DesktopRegistry::ProgramFolders()
{
    static const std::vector<std::string> folders = {"/usr/local/bin", "/usr/bin", "/bin"};
    return folders;
}

DesktopRegistry::DesktopRegistry() : DesktopRegistry(ProgramFolders()) { }

DesktopRegistry::DesktopRegistry(std::vector<std::string> folders) : folders_(std::move(folders)) { }

long DesktopRegistry::RegOpenKeyExA(HKEY root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                                    HKEY* result)
{
    QStringList folders;
    for (const std::string& folder : folders_)
        folders << QString::fromStdString(folder);
    known_.removeValue(kMsInfoKey, "PATH");
    for (const std::string& name : Candidates()) {
        const QString path = QStandardPaths::findExecutable(QString::fromStdString(name), folders);
        if (!path.isEmpty()) {
            known_.setString(kMsInfoKey, "PATH", path.toStdString());
            break;
        }
    }
    return known_.RegOpenKeyExA(root, subKey, options, access, result);
}

long DesktopRegistry::RegQueryValueExA(HKEY key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                                       std::uint32_t* dataSize)
{
    return known_.RegQueryValueExA(key, valueName, type, data, dataSize);
}

long DesktopRegistry::RegCloseKey(HKEY key)
{
    return known_.RegCloseKey(key);
}

}  // namespace qd
