// A fresh state wired to the fake window and printer, a temporary storage
// folder, and Windows Mail entries that the test reader hands over as ReadMsg would.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "common/state.hpp"
#include "export/msg_end.hpp"
#include "support/fake_printer.hpp"
#include "support/fake_window.hpp"

namespace pelicard::testing {

inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void Spill(const std::filesystem::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

class ExportTest : public ::testing::Test {
protected:
    ExportTest() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "pelicard-export-XXXXXX").string();
        root = mkdtemp(tmpl.data());
        std::filesystem::create_directories(root + "/src/Archives");
        std::filesystem::create_directories(root + "/store");
        s.window = &window;
        s.printer = &printer;
        s.settings.StorageFolder = root + "/store";
        s.list.Mode = StoreMode::WindowsMail;
    }
    ~ExportTest() override { std::filesystem::remove_all(root); }

    // A Windows Mail entry (date "dd/mm/yyyy hh:mm:ss") whose file in <root>/src/Archives holds `raw`.
    std::int32_t Add(const std::string& subject, const std::string& date, const std::string& body,
                     const std::string& thread = "<t>", const std::string& raw = "") {
        const auto i = static_cast<std::int32_t>(s.list.Wm.size());
        WmMessageEntry e{root + "/src/Archives/m" + std::to_string(i) + ".eml", body, subject, "Anne", date, {}, thread, {}};
        e.DateKey = date.substr(6, 4) + date.substr(3, 2) + date.substr(0, 2) + " " + date.substr(11, 2) +
                    date.substr(14, 2) + date.substr(17, 2);
        Spill(e.FilePath, raw);
        s.list.Wm.push_back(e);
        s.list.Count = i;
        return i;
    }
    void Select(const std::vector<std::int32_t>& ids) {
        s.selection.SelectionOrder.assign(1, 0);
        s.selection.SelectionOrder.insert(s.selection.SelectionOrder.end(), ids.begin(), ids.end());
        s.selection.SelectionCount = static_cast<std::int32_t>(ids.size());
    }
    static void Read(State& s, std::int32_t i, OutputMode& mode) {
        const WmMessageEntry& e = s.list.Wm[static_cast<std::size_t>(i)];
        s.texts.SubjectLine = "Objet : " + e.Subject + "\r\n";
        s.texts.DateSenderBlock = "Date : " + e.DateText + "\r\nExp\xE9" "diteur : " + e.Sender + "\r\n\r\n";
        s.texts.BodyText = e.Body;
        MsgEnd(s, i, mode);
    }
    void ReadAlone(std::int32_t i) {
        OutputMode mode = kAlone;
        Read(s, i, mode);
    }
    std::string Dir() const { return s.settings.StorageFolder + "/Archives/"; }
    std::set<std::string> Files() const {
        std::set<std::string> names;
        std::error_code ec;
        for (auto& e : std::filesystem::directory_iterator(Dir(), ec)) names.insert(e.path().filename().string());
        return names;
    }

    State s;
    FakeWindow window;
    FakePrinter printer;
    std::string root;
};

}  // namespace pelicard::testing
