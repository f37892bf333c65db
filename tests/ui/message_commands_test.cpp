// The message commands over a Windows Mail list held in memory: stepping,
// edits with one and with two rows selected, and each save or print command's
// flags, files, print jobs and enabling afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/fake_printer.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"

namespace fs = std::filesystem;
using namespace pelicard;

namespace {

// Notes the operation flags each time a message is read (its subject reaches
// the editor) and each time the window is let run.
struct RecordingWindow : pelicard::testing::FakeWindow {
    State* s = nullptr;
    std::string atRead, atEvents;
    static char Raised(const OperationKind& k) {
        return k.SaveAllText ? 'T' : k.SaveAllRaw ? 'R' : k.SaveModifiedText ? 't'
             : k.SaveModifiedRaw ? 'r' : k.PrintSelected ? 'P' : '-';
    }
    void SetText(std::string_view c, const std::string& t) override {
        FakeWindow::SetText(c, t);
        if (c == "txtSubject") atRead += Raised(s->ops), atRead += s->ops.BatchRunning ? "+" : "";
    }
    void DoEvents() override { atEvents += Raised(s->ops); }
};

struct MessageCommands : ::testing::Test {
    RecordingWindow window;
    pelicard::testing::FakePrinter printer;
    State s;
    fs::path root = fs::temp_directory_path() / ("pelicard-commands-" + std::to_string(::getpid()));

    void SetUp() override { Load(); }
    // Four messages, listed as IDs 3, 1, 4, 2 (a sorted view); nothing saved.
    void Load() {
        fs::remove_all(root);
        fs::create_directories(root / "Archives");
        window.s = &s;
        s.window = &window;
        s.printer = &printer;
        printer.jobs.clear();
        s.settings.StorageFolder = (root / "Documents Pelicard").string();
        fs::create_directories(s.settings.StorageFolder);
        s.list.Mode = StoreMode::WindowsMail;
        s.wm.WmFolderPath = (root / "Archives").string();
        s.list.Wm.assign(1, {});
        for (int i = 1; i <= 4; ++i) {
            const std::string n = std::to_string(i);
            WmMessageEntry e{(root / "Archives" / (n + ".eml")).string(), "Corps " + n, "Sujet " + n, "Paul",
                             "0" + n + "/01/2008 10:00:00", "2008010" + n + " 100000", "<Sujet " + n + ">", ""};
            std::ofstream(e.FilePath, std::ios::binary) << "Subject: " << e.Subject << "\r\n\r\n" << e.Body;
            s.list.Wm.push_back(e);
        }
        s.list.Count = 4;
        window.ListClear();
        for (int id : {3, 1, 4, 2}) {
            const int row = window.ListAddRow("");
            window.rows[row - 1] = {"", "", "", "", std::to_string(id)};
        }
    }
    void TearDown() override { fs::remove_all(root); }

    // Selects the given rows and clicks in the list, as the user does.
    void Select(const std::vector<int>& rows) {
        window.selected.assign(4, false);
        for (int r : rows) window.selected[r - 1] = true;
        lvwMessages_Click(s);
        window.atRead.clear();
        window.atEvents.clear();
        window.log.clear();
    }
    std::string Saved(const std::string& name) {
        std::stringstream t;
        t << std::ifstream(root / "Documents Pelicard" / "Archives" / name, std::ios::binary).rdbuf();
        return t.str();
    }
    std::size_t SavedCount() {
        const fs::path dir = root / "Documents Pelicard" / "Archives";
        return fs::exists(dir) ? std::distance(fs::directory_iterator(dir), fs::directory_iterator()) : 0;
    }
};

TEST_F(MessageCommands, StepsThroughTheSelectionInRowOrderAndBeepsAtTheEnds) {
    Select({1, 2, 4});  // IDs 3, 1, 2
    struct Step { void (*click)(State&); int position; const char* shown; bool up, down; int beeps; };
    for (const Step& st : {Step{cmdUp_Click, 1, "Sujet 3", false, true, 1},
                           Step{cmdDown_Click, 2, "Sujet 1", true, true, 1},
                           Step{cmdDown_Click, 3, "Sujet 2", true, false, 1},
                           Step{cmdDown_Click, 3, "Sujet 2", true, false, 2},
                           Step{cmdUp_Click, 2, "Sujet 1", true, true, 2}}) {
        window.visible["txtEnd"] = true;
        st.click(s);
        EXPECT_EQ(s.selection.CurrentPosition, st.position);
        EXPECT_EQ(window.texts["txtSubject"], st.shown);
        EXPECT_EQ(window.IsEnabled("cmdUp"), st.up);
        EXPECT_EQ(window.IsEnabled("cmdDown"), st.down);
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
        EXPECT_EQ(s.selection.SubjectModified, c.subject && !c.boxes);
        EXPECT_EQ(s.selection.BodyModified, c.body && !c.boxes);
        EXPECT_EQ(window.IsEnabled("cmdModTxt"), c.modTxt);
        EXPECT_EQ(window.IsEnabled("cmdModNws"), c.modNws);
        ASSERT_EQ(window.boxes.size(), c.boxes);
        for (const auto& b : window.boxes) EXPECT_EQ(b.text, "On ne peut modifier qu'un seul message \xE0 la fois");
    }
}

TEST_F(MessageCommands, SavingTheEditedMessageWritesTheEditsAndSignalsTheEnd) {
    Select({});  // nothing shown: an edit has nothing to be saved into
    txtSubject_Change(s);
    cmdModTxt_Click(s);
    EXPECT_EQ(SavedCount(), 0u);
    EXPECT_FALSE(window.visible["txtEnd"]);

    Select({3});  // ID 4
    window.texts["txtSubject"] = "Nouveau";
    txtSubject_Change(s);
    cmdModTxt_Click(s);
    EXPECT_TRUE(window.visible["txtEnd"]);
    EXPECT_EQ(Saved("Sujet 4_m_20080104 100000.txt").rfind("Objet : Nouveau\r\n", 0), 0u);
    txtSubject_Click(s);
    EXPECT_FALSE(window.visible["txtEnd"]);
    cmdModNws_Click(s);
    EXPECT_EQ(Saved("Sujet 4_m_20080104 100000.eml"), "Subject: Nouveau\r\n\r\nCorps 4");
    EXPECT_TRUE(window.visible["txtEnd"]);
}

TEST_F(MessageCommands, BatchCommandsRaiseTheirFlagShowTheBarAndLetTheWindowRun) {
    struct Case { void (*click)(State&); std::uint8_t grouping; const char *read, *events; std::size_t files; std::size_t jobs; bool stepping; };
    for (const Case& c : {Case{cmdAllTxt_Click, 0, "T+T+T+", "TTT", 3, 0, false},
                          Case{cmdAllNws_Click, 1, "R+R+R+", "RRR", 3, 0, false},  // one file each, grouped or not
                          Case{cmdPrint_Click, 0, "PPP", "PPP", 0, 3, true}}) {
        Load();
        s.settings.GroupingOption = c.grouping;
        Select({1, 2, 4});
        c.click(s);
        EXPECT_EQ(window.atRead, c.read);
        EXPECT_EQ(window.atEvents, c.events);
        EXPECT_EQ(SavedCount(), c.files);
        EXPECT_EQ(printer.jobs.size(), c.jobs);
        EXPECT_NE(std::find(window.log.begin(), window.log.end(), "show Bar"), window.log.end());
        EXPECT_FALSE(window.progressVisible);
        EXPECT_FALSE(s.ops.BatchRunning);
        EXPECT_EQ(window.IsEnabled("cmdDown"), c.stepping);
        EXPECT_TRUE(window.visible["txtEnd"]);
    }
}

TEST_F(MessageCommands, SteppingAfterAPrintOnlyDisplays) {
    Select({1, 2});
    cmdPrint_Click(s);
    cmdDown_Click(s);
    EXPECT_EQ(window.texts["txtSubject"], "Sujet 1");
    EXPECT_EQ(printer.jobs.size(), 2u);
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
