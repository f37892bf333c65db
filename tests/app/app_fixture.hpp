// A fresh state wired to the fakes, and a temporary home for the program's
// folders (PELICARD_HOME, the documents folder) that is removed afterwards.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/state.hpp"
#include "export/printer_port.hpp"
#include "support/fake_services.hpp"
#include "support/fake_window.hpp"

namespace pelicard::testing {

struct RecordingPrinter : PrinterPort {
    std::string font;
    double points = 0;
    void SetFont(const std::string& name, double size) override {
        font = name;
        points = size;
    }
};

inline std::string ReadFileText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

inline void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pelicard-app-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root = tmpl;
        appFolder = root + "/app/";
        docs = root + "/docs";
        std::filesystem::create_directories(docs);
        setenv("PELICARD_HOME", (root + "/app").c_str(), 1);
        setenv("XDG_DOCUMENTS_DIR", docs.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        s.window = &window;
        s.dialogs = &dialogs;
        s.registry = &registry;
        s.processes = &processes;
        s.sound = &sound;
        s.help = &help;
        s.printer = &printer;
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
    // Another state on the same fakes, with its own window.
    void Wire(State& st, FakeWindow& w) {
        st.window = &w;
        st.dialogs = &dialogs;
        st.registry = &registry;
        st.printer = &printer;
    }
    std::string Mkdir(const std::string& rel) {
        std::filesystem::create_directories(root + "/" + rel);
        return root + "/" + rel;
    }

    std::string root, appFolder, docs;
    State s;
    FakeWindow window;
    FakeDialogs dialogs;
    FakeRegistry registry;
    FakeProcesses processes;
    FakeSound sound;
    FakeHelp help;
    RecordingPrinter printer;
};

}  // namespace pelicard::testing
