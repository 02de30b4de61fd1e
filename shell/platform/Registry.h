// The registry: the three operations the About dialog needs to find the
// system-information tool, with the values and error codes they have always had.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qd {

using HKEY = std::uintptr_t;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_MORE_DATA = 234;

inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

// Read control plus the six key rights: query, set, create subkey, enumerate, notify, create link.
inline constexpr std::uint32_t kSysInfoKeyAccess = 0x2003F;

class Registry {
public:
    virtual ~Registry() = default;
    virtual long RegOpenKeyExA(HKEY root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                               HKEY* result) = 0;
    // Fills `data` with at most *dataSize bytes and sets *dataSize to the
    // value's size; ERROR_MORE_DATA when the buffer is too small.
    virtual long RegQueryValueExA(HKEY key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                                  std::uint32_t* dataSize) = 0;
    virtual long RegCloseKey(HKEY key) = 0;
};

// A registry held in memory, for tests: keys, values of any type, and keys
// that refuse some access rights.
class InMemoryRegistry final : public Registry {
public:
    void setValue(const std::string& key, const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data);
    void setString(const std::string& key, const std::string& name, const std::string& text,
                   std::uint32_t type = REG_SZ);
    // Opening `key` fails when the access asked for includes any of `rights`.
    void refuseAccess(const std::string& key, std::uint32_t rights);
    void removeValue(const std::string& key, const std::string& name);
    // Keys opened and not yet closed.
    std::size_t openKeys() const { return open_.size(); }

    long RegOpenKeyExA(HKEY root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                       HKEY* result) override;
    long RegQueryValueExA(HKEY key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* dataSize) override;
    long RegCloseKey(HKEY key) override;

private:
    struct Value {
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    std::map<std::string, std::map<std::string, Value>> keys_;
    std::map<std::string, std::uint32_t> refused_;
    std::map<HKEY, std::string> open_;
    HKEY nextHandle_ = 0x100;
};

// This desktop's registry: it knows one entry, the system-information tool's
// path, which it answers with the first such program installed in `folders`.
// It looks every time the key is opened, so a tool installed while the
// program runs is found.
class DesktopRegistry final : public Registry {
public:
    DesktopRegistry();
    explicit DesktopRegistry(std::vector<std::string> folders);

    long RegOpenKeyExA(HKEY root, const std::string& subKey, std::uint32_t options, std::uint32_t access,
                       HKEY* result) override;
    long RegQueryValueExA(HKEY key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* dataSize) override;
    long RegCloseKey(HKEY key) override;

    // The system-information programs looked for, in order.
    static const std::vector<std::string>& Candidates();
    // Where they are looked for, in order.
    static const std::vector<std::string>& ProgramFolders();

private:
    std::vector<std::string> folders_;
    InMemoryRegistry known_;
};

}  // namespace qd
