// A fresh state wired to the fakes, and a temporary home (PELICARD_HOME, documents) removed afterwards.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "common/state.hpp"
#include "export/printer_port.hpp"
#include "support/fake_services.hpp"
#include "support/fake_window.hpp"

namespace pelicard::testing {

inline std::string ReadFileText(const std::string& path) {
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}
inline void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The five settings as one comparable, printable value.
inline auto Fields(const Settings& x) {
    return std::make_tuple(x.StorageFolder, x.LastFolder, int{x.GroupingOption}, int{x.SelectionOption},
                           int{x.ConfirmOption});
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pelicard-app-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root = tmpl;
        appFolder = root + "/app/";
        docs = Mkdir("docs");
        setenv("PELICARD_HOME", (root + "/app").c_str(), 1);
        setenv("XDG_DOCUMENTS_DIR", docs.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        Wire(s, window);
        s.sound = &sound;
        registry.available = false;  // no registry unless a test gives one
        s.env.AppFolder = appFolder;
        s.env.MyDocumentsFolder = docs + "/";
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::string IniPath() const { return appFolder + "Pelicard.ini"; }
    void WriteIni(const std::string& text) {
        std::filesystem::create_directories(appFolder);
        WriteFileText(IniPath(), text);
    }
    // An Outlook Express identity whose store root is the given text.
    void GiveIdentity(const std::string& storeRoot) {
        using V = RegistryPort::ValueType;
        registry.available = true;
        registry.keys["Identities"]["Last User ID"] = {V::String, std::string("{ID}") + '\0'};
        registry.keys["Identities\\{ID}"] = {};
        registry.keys["Identities\\{ID}\\Software\\Microsoft\\Outlook Express\\5.0"]["Store Root"] = {
            V::ExpandString, storeRoot};
    }
    // Another state on the same fakes, with its own window: auto& [st, w] = Fresh();
    struct Run { State st; FakeWindow w; };
    void Wire(State& st, FakeWindow& w) {
        st.window = &w, st.dialogs = &dialogs, st.registry = &registry, st.printer = &printer;
    }
    Run& Fresh() { Run& r = runs.emplace_back(); Wire(r.st, r.w); return r; }
    std::string Mkdir(const std::string& rel) {
        std::filesystem::create_directories(root + "/" + rel);
        return root + "/" + rel;
    }

    std::string root, appFolder, docs;
    State s;
    FakeWindow window;
    FakeDialogs dialogs;
    FakeRegistry registry;
    FakeSound sound;
    PrinterPort printer;
    std::deque<Run> runs;
};

}  // namespace pelicard::testing
