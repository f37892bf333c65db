#include "support/fake_services.hpp"

namespace pelicard::testing {

bool FakeDialogs::OpenFile(const std::string& filter, const std::string& title, const std::string& start,
                           std::string& chosen) {
    openCalls.push_back({filter, title, start});
    if (files.empty()) return false;
    std::optional<std::string> answer = files.front();
    files.pop_front();
    if (!answer) return false;
    chosen = *answer;
    return true;
}

std::string FakeDialogs::PickFolder(const std::string& title, const std::string& defaultFolder) {
    pickCalls.push_back({title, defaultFolder});
    if (folders.empty()) return {};
    std::string answer = folders.front();
    folders.pop_front();
    return answer;
}

bool FakeDialogs::ChoosePrinter() {
    ++printerCalls;
    return printerAnswer;
}

std::int32_t FakeRegistry::OpenKey(const std::string& path, std::int64_t& handle) {
    opened.push_back(path);
    if (!keys.count(path)) return 2;
    handle = next_++;
    handles_[handle] = path;
    ++openCount;
    return 0;
}

std::int32_t FakeRegistry::QueryValue(std::int64_t handle, const std::string& name, ValueType& type,
                                      std::string& data) {
    auto h = handles_.find(handle);
    if (h == handles_.end()) return 6;
    const auto& values = keys[h->second];
    auto v = values.find(name);
    if (v == values.end()) return 2;
    type = v->second.type;
    data = v->second.data;
    return 0;
}

void FakeRegistry::CloseKey(std::int64_t handle) {
    if (handles_.erase(handle)) --openCount;
}

bool FakeRegistry::SessionVariable(const std::string& name, std::string& value) {
    auto v = sessionVariables.find(name);
    if (v == sessionVariables.end()) return false;
    value = v->second;
    return true;
}

}  // namespace pelicard::testing
