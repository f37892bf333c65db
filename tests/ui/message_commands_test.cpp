// The message commands over a Windows Mail list held in memory: stepping,
// edits with one and two rows selected, the save and print commands.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "support/fake_printer.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

struct MessageCommands : ::testing::Test {
    pelicard::testing::FakeWindow window;
    pelicard::testing::FakePrinter printer;
    State s;
    fs::path root = fs::temp_directory_path() / ("pelicard-commands-" + std::to_string(::getpid()));
    fs::path out = root / "Documents Pelicard" / "Archives";

    void SetUp() override { Load(); }
    void TearDown() override { fs::remove_all(root); }
    // Four messages listed as IDs 3, 1, 4, 2 (a sorted view); nothing saved.
    void Load() {
        fs::remove_all(root);
        fs::create_directories(root / "Archives");
        s.window = &window, s.printer = &printer;
        printer.jobs.clear();
        s.settings.StorageFolder = (root / "Documents Pelicard").string();
        fs::create_directories(s.settings.StorageFolder);
        s.list.Mode = StoreMode::WindowsMail;
        s.wm.WmFolderPath = (root / "Archives").string();
        s.list.Wm.assign(1, {});
        for (const std::string n : {"1", "2", "3", "4"}) {
            WmMessageEntry e{(root / "Archives" / (n + ".eml")).string(), "Corps " + n, "Sujet " + n, "Paul",
                             "0" + n + "/01/2008 10:00:00", "2008010" + n + " 100000", "<Sujet " + n + ">", ""};
            std::ofstream(e.FilePath, std::ios::binary) << "Subject: " << e.Subject << "\r\n\r\n" << e.Body;
            s.list.Wm.push_back(e);
        }
        s.list.Count = 4;
        window.ListClear();
        for (int id : {3, 1, 4, 2}) window.rows[window.ListAddRow("") - 1] = {"", "", "", "", std::to_string(id)};
    }
    void Select(const std::vector<int>& rows) {
        window.selected.assign(4, false);
        for (int r : rows) window.selected[r - 1] = true;
        lvwMessages_Click(s);
        window.doEvents = 0, window.log.clear();
    }
    std::string Saved(const std::string& name) {
        std::stringstream t;
        t << std::ifstream(out / name, std::ios::binary).rdbuf();
        return t.str();
    }
    std::size_t SavedCount() {
        return fs::exists(out) ? std::distance(fs::directory_iterator(out), fs::directory_iterator()) : 0;
    }
};

TEST_F(MessageCommands, StepsThroughTheSelectionInRowOrderAndBeepsAtTheEnds) {
    Select({1, 2, 4});  // IDs 3, 1, 2
    struct Step { void (*click)(State&); int position; const char* shown; bool up, down; int beeps; };
    for (const Step& st : {Step{cmdUp_Click, 1, "Sujet 3", false, true, 1},
                           Step{cmdDown_Click, 2, "Sujet 1", true, true, 1},
                           Step{cmdDown_Click, 3, "Sujet 2", true, false, 1},
                           Step{cmdDown_Click, 3, "Sujet 2", true, false, 2}}) {
        window.visible["txtEnd"] = true;
        st.click(s);
        EXPECT_EQ(s.selection.CurrentPosition, st.position);
        EXPECT_EQ(window.texts["txtSubject"], st.shown);
        EXPECT_EQ(std::pair(window.IsEnabled("cmdUp"), window.IsEnabled("cmdDown")), std::pair(st.up, st.down));
        EXPECT_EQ(window.beeps, st.beeps);
        EXPECT_FALSE(window.visible["txtEnd"]);
    }
}

TEST_F(MessageCommands, EditsAreRecordedForOneMessageAndRefusedForTwo) {
    struct Case { std::vector<int> rows; bool subject, body, modTxt, modNws; std::size_t boxes; };
    for (const Case& c : {Case{{3}, true, false, true, true, 0}, Case{{3}, false, true, true, false, 0},
                          Case{{2, 3}, true, true, false, false, 2}}) {
        Select(c.rows);
        window.boxes.clear();
        if (c.body) txtBody_Change(s);
        if (c.subject) txtSubject_Change(s);
        EXPECT_EQ(std::pair(s.selection.SubjectModified, s.selection.BodyModified),
                  std::pair(c.subject && !c.boxes, c.body && !c.boxes));
        EXPECT_EQ(std::pair(window.IsEnabled("cmdModTxt"), window.IsEnabled("cmdModNws")),
                  std::pair(c.modTxt, c.modNws));
        ASSERT_EQ(window.boxes.size(), c.boxes);
        for (const auto& b : window.boxes) EXPECT_EQ(b.text, "On ne peut modifier qu'un seul message \xE0 la fois");
    }
}

TEST_F(MessageCommands, SavingTheEditedMessageWritesTheEditsAndSignalsTheEnd) {
    Select({});  // nothing shown: an edit has nothing to be saved into
    txtSubject_Change(s), cmdModTxt_Click(s);
    EXPECT_EQ(SavedCount(), 0u);
    Select({3});  // ID 4
    window.texts["txtSubject"] = "Nouveau";
    txtSubject_Change(s), cmdModTxt_Click(s);
    EXPECT_TRUE(window.visible["txtEnd"]);
    EXPECT_EQ(Saved("Sujet 4_m_20080104 100000.txt").rfind("Objet : Nouveau\r\n", 0), 0u);
    txtSubject_Click(s), cmdModNws_Click(s);
    EXPECT_EQ(Saved("Sujet 4_m_20080104 100000.eml"), "Subject: Nouveau\r\n\r\nCorps 4");
}

TEST_F(MessageCommands, BatchCommandsLetTheWindowRunAndSteppingAfterAPrintOnlyDisplays) {
    struct Case { void (*click)(State&); std::uint8_t grouping; std::size_t files, jobs; bool stepping; };
    for (const Case& c : {Case{cmdAllTxt_Click, 0, 3, 0, false},
                          Case{cmdAllNws_Click, 1, 3, 0, false},  // one file each, grouped or not
                          Case{cmdPrint_Click, 0, 0, 3, true}}) {
        Load();
        s.settings.GroupingOption = c.grouping;
        Select({1, 2, 4});
        c.click(s);
        EXPECT_EQ(window.doEvents, 3);  // once a message
        EXPECT_EQ(SavedCount(), c.files);
        EXPECT_NE(std::find(window.log.begin(), window.log.end(), "show Bar"), window.log.end());
        EXPECT_FALSE(window.progressVisible || s.ops.BatchRunning);
        EXPECT_TRUE(window.visible["txtEnd"]);
        EXPECT_EQ(window.IsEnabled("cmdDown"), c.stepping);
        if (c.stepping) cmdDown_Click(s);  // shows the next one, prints nothing more
        EXPECT_EQ(printer.jobs.size(), c.jobs);
    }
}

TEST_F(MessageCommands, NothingRunsWhileTheProgramUpdatesTheWindow) {
    Select({1, 2});
    s.EditorUpdate = true;
    for (auto h : {cmdUp_Click, cmdDown_Click, txtSubject_Change, txtBody_Change, cmdModTxt_Click,
                   cmdModNws_Click, cmdAllTxt_Click, cmdAllNws_Click, cmdPrint_Click})
        h(s);
    EXPECT_TRUE(window.log.empty());
    EXPECT_EQ(window.beeps, 0);
    EXPECT_EQ(SavedCount(), 0u);
}

}  // namespace
