// The registry of a Wine prefix, read from its user.reg: the current
// user's hive as Wine saves it (sections "[key\\path] time", values
// "name"=…, strings with escapes, str(n):, hex(n): with continued lines,
// dword:). Key and value names are found ignoring letter case.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/ports.hpp"

namespace pelicard {

class WineRegistry : public RegistryPort {
public:
    // Reads <prefix>/user.reg; a missing or unreadable file is no registry.
    explicit WineRegistry(std::string prefix);
    // Reads the hive from a text (the prefix is kept for paths).
    WineRegistry(std::string prefix, const std::string& userRegText);

    bool Available() override;
    std::int32_t OpenKey(const std::string& path, std::int64_t& handle) override;
    std::int32_t QueryValue(std::int64_t handle, const std::string& name, ValueType& type,
                            std::string& data) override;
    void CloseKey(std::int64_t handle) override;
    // "C:\x\y" → "<prefix>/drive_c/x/y"; another drive through dosdevices.
    std::string NativePath(const std::string& windowsPath) override;
    // From the hive's "Volatile Environment" and "Environment" keys; the
    // profile folder as Wine makes it (C:\users\<user>) otherwise.
    bool SessionVariable(const std::string& name, std::string& value) override;

    struct Value {
        ValueType type = ValueType::Other;
        std::string data;
    };
    std::size_t KeyCount() const { return keys_.size(); }

private:
    void Load(const std::string& text);
    bool KeyExists(const std::string& lowerPath) const;

    std::string prefix_;
    bool loaded_ = false;
    std::unordered_map<std::string, std::unordered_map<std::string, Value>> keys_;
    std::unordered_set<std::string> parents_;  // keys that exist as ancestors only
    std::unordered_map<std::int64_t, std::string> open_;
    std::int64_t nextHandle_ = 1;
};

}  // namespace pelicard
