// Platform services of start-up and the environment, behind small ports.
// Defaults do nothing; the Linux implementations and the fakes override.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pelicard {

// The file dialogs. Paths are native (UTF-8).
class DialogsPort {
public:
    virtual ~DialogsPort() = default;
    // Open-file dialog: filter as "Label (*.a;*.b)|*.a;*.b", title, start
    // folder or file. Returns false when cancelled.
    virtual bool OpenFile(const std::string& /*filter*/, const std::string& /*title*/,
                          const std::string& /*start*/, std::string& /*chosen*/) {
        return false;
    }
    // Folder picker; empty when cancelled.
    virtual std::string PickFolder(const std::string& /*title*/, const std::string& /*defaultFolder*/) {
        return {};
    }
    // The system's printer dialog; false when cancelled.
    virtual bool ChoosePrinter() { return false; }
};

// The current user's registry hive.
class RegistryPort {
public:
    virtual ~RegistryPort() = default;
    enum class ValueType { String, ExpandString, Binary, Dword, Other };
    // Opens a key (path under HKEY_CURRENT_USER, "\"-separated); 0 on
    // success, else an error code (2 = not found).
    virtual std::int32_t OpenKey(const std::string& /*path*/, std::int64_t& /*handle*/) { return 2; }
    virtual std::int32_t QueryValue(std::int64_t /*handle*/, const std::string& /*name*/,
                                    ValueType& /*type*/, std::string& /*data*/) {
        return 2;
    }
    virtual void CloseKey(std::int64_t /*handle*/) {}
};

// Names of the running executables.
class ProcessesPort {
public:
    virtual ~ProcessesPort() = default;
    virtual std::vector<std::string> RunningExecutables() { return {}; }
};

class SoundPort {
public:
    virtual ~SoundPort() = default;
    virtual void PlayDone() {}
};

class HelpPort {
public:
    virtual ~HelpPort() = default;
    virtual void ShowHelp() {}
};

}  // namespace pelicard
