// Platform services of start-up and the environment, behind small ports.
// Defaults do nothing; the Linux implementations and the fakes override.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pelicard {

// The file dialogs. Paths are native (UTF-8); titles and filters are
// Windows-1252 like every text of the window.
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
    // False when there is no registry to read at all (no Wine prefix, or no
    // "Identities" key in it): the store root is then silently empty.
    virtual bool Available() { return false; }
    // Opens a key (path under HKEY_CURRENT_USER, "\"-separated, no final
    // "\"); 0 on success, else an error code (2 = not found).
    // QueryValue gives string values as UTF-8 text, binary values as their
    // bytes, a DWORD as its four little-endian bytes.
    virtual std::int32_t OpenKey(const std::string& /*path*/, std::int64_t& /*handle*/) { return 2; }
    virtual std::int32_t QueryValue(std::int64_t /*handle*/, const std::string& /*name*/,
                                    ValueType& /*type*/, std::string& /*data*/) {
        return 2;
    }
    virtual void CloseKey(std::int64_t /*handle*/) {}
    // A Windows path read from the registry as a native path (a Wine prefix
    // maps drives into itself); unchanged by default.
    virtual std::string NativePath(const std::string& windowsPath) { return windowsPath; }
    // An environment variable of the Windows session, asked when the process
    // environment does not hold it; false when unknown.
    virtual bool SessionVariable(const std::string& /*name*/, std::string& /*value*/) { return false; }
};

// Names of the running executables.
class ProcessesPort {
public:
    virtual ~ProcessesPort() = default;
    virtual std::vector<std::string> RunningExecutables() { return {}; }
};

// Plays the completion sound (DoneSoundWav) without waiting for its end;
// no audio device is not an error.
class SoundPort {
public:
    virtual ~SoundPort() = default;
    virtual void PlayDone() {}
};

// Shows the help manual (HelpHtml) at its start page.
class HelpPort {
public:
    virtual ~HelpPort() = default;
    virtual void ShowHelp() {}
};

}  // namespace pelicard
