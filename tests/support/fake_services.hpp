// Scripted platform services for the tests: dialogs answering from queues,
// an in-memory registry, a fixed process list, counters for sound and help.
#pragma once
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/ports.hpp"

namespace pelicard::testing {

class FakeDialogs : public DialogsPort {
public:
    struct OpenCall {
        std::string filter, title, start;
    };
    struct PickCall {
        std::string title, defaultFolder;
    };
    // Answers of the open-file dialog in order; nullopt (or none left) cancels.
    std::deque<std::optional<std::string>> files;
    // Answers of the folder picker; "" (or none left) cancels.
    std::deque<std::string> folders;
    bool printerAnswer = false;
    std::vector<OpenCall> openCalls;
    std::vector<PickCall> pickCalls;
    int printerCalls = 0;

    bool OpenFile(const std::string& filter, const std::string& title, const std::string& start,
                  std::string& chosen) override;
    std::string PickFolder(const std::string& title, const std::string& defaultFolder) override;
    bool ChoosePrinter() override;
};

class FakeRegistry : public RegistryPort {
public:
    struct Value {
        ValueType type = ValueType::String;
        std::string data;
    };
    bool available = true;
    // keys["Identities"]["Last User ID"] = {String, "{…}"}; key names as
    // WMFolder gives them, without a final "\".
    std::map<std::string, std::map<std::string, Value>> keys;
    std::map<std::string, std::string> sessionVariables;
    std::vector<std::string> opened;  // every key opened, in order
    int openCount = 0;                // keys open right now

    bool Available() override { return available; }
    std::int32_t OpenKey(const std::string& path, std::int64_t& handle) override;
    std::int32_t QueryValue(std::int64_t handle, const std::string& name, ValueType& type,
                            std::string& data) override;
    void CloseKey(std::int64_t handle) override;
    bool SessionVariable(const std::string& name, std::string& value) override;

private:
    std::map<std::int64_t, std::string> handles_;
    std::int64_t next_ = 1;
};

class FakeProcesses : public ProcessesPort {
public:
    std::vector<std::string> names;
    std::vector<std::string> RunningExecutables() override { return names; }
};

class FakeSound : public SoundPort {
public:
    int played = 0;
    void PlayDone() override { ++played; }
};

class FakeHelp : public HelpPort {
public:
    int shown = 0;
    void ShowHelp() override { ++shown; }
};

}  // namespace pelicard::testing
