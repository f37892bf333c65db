// The message commands over a Windows Mail list held in memory: stepping
// through the selection, edits with one and with several rows selected, the
// save and print commands' flags, calls, files and enabling afterwards.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/state.hpp"
#include "export/printer_port.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"

namespace fs = std::filesystem;
using pelicard::OperationKind;
using pelicard::State;

namespace {

// The window, also noting the operation flags whenever a message reaches
// the subject editor (once per message read) and whenever events are let run.
struct RecordingWindow : pelicard::testing::FakeWindow {
    State* s = nullptr;
    std::vector<OperationKind> atRead;
    std::vector<OperationKind> atEvents;
    void SetText(std::string_view control, const std::string& text) override {
        FakeWindow::SetText(control, text);
        if (control == "txtSubject" && s) atRead.push_back(s->ops);
    }
    void DoEvents() override {
        FakeWindow::DoEvents();
        if (s) atEvents.push_back(s->ops);
    }
};

struct CountingPrinter : pelicard::PrinterPort {
    std::vector<std::string> lines;
    int jobs = 0;
    void PrintLine(const std::string& text) override { lines.push_back(text); }
    void EndDoc() override { ++jobs; }
    double TextWidth(const std::string& text) override { return static_cast<double>(text.size()); }
    double PageWidth() override { return 1000; }
};

// Which of the five operation flags are raised, as letters.
std::string Raised(const OperationKind& k) {
    std::string r;
    if (k.SaveAllText) r += "T";
    if (k.SaveAllRaw) r += "R";
    if (k.SaveModifiedText) r += "t";
    if (k.SaveModifiedRaw) r += "r";
    if (k.PrintSelected) r += "P";
    return r;
}

struct MessageCommands : ::testing::Test {
    RecordingWindow window;
    CountingPrinter printer;
    State s;
    fs::path root;
    fs::path storage;
    fs::path archives;

    void SetUp() override {
        root = fs::temp_directory_path() /
               ("pelicard-commands-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        storage = root / "Documents Pelicard";
        archives = root / "Archives";
        fs::create_directories(storage);
        fs::create_directories(archives);
        window.s = &s;
        s.window = &window;
        s.printer = &printer;
        s.settings.StorageFolder = storage.string();
        s.env.AppFolder = root.string() + "/";
        LoadList();
    }
    void TearDown() override { fs::remove_all(root); }

    // Four messages; the rows list them as IDs 3, 1, 4, 2 (a sorted view).
    void LoadList() {
        s.list.Mode = pelicard::StoreMode::WindowsMail;
        s.wm.WmFolderPath = archives.string();
        const int ids[] = {3, 1, 4, 2};
        for (int i = 1; i <= 4; ++i) {
            pelicard::WmMessageEntry e;
            const std::string n = std::to_string(i);
            e.FilePath = (archives / ("m" + n + ".eml")).string();
            e.Subject = "Sujet " + n;
            e.Sender = "Paul";
            e.DateText = "0" + n + "/01/2008 10:00:00";
            e.DateKey = "2008010" + n + " 100000";
            e.ThreadKey = "<Sujet " + n + ">";
            e.Body = "Corps " + n;
            std::ofstream(e.FilePath, std::ios::binary)
                << "From: Paul\r\nSubject: " << e.Subject << "\r\n\r\n" << e.Body;
            s.list.Wm.push_back(e);
        }
        s.list.Count = 4;
        s.selection.RowFlags.assign(5, false);
        for (int id : ids) {
            const auto& e = s.list.Wm[static_cast<std::size_t>(id)];
            const int row = window.ListAddRow(e.Subject);
            for (const std::string& cell : {e.Sender, e.DateText, e.DateKey, std::to_string(id)})
                window.ListAddSubItem(row, cell);
        }
    }

    // Selects the given rows and clicks in the list, as the user does.
    void Select(std::initializer_list<int> rows) {
        for (std::size_t r = 0; r < window.selected.size(); ++r) window.selected[r] = false;
        for (int r : rows) window.selected[static_cast<std::size_t>(r - 1)] = true;
        pelicard::lvwMessages_Click(s);
        window.log.clear();
        window.atRead.clear();
    }

    std::set<std::string> Written() {
        std::set<std::string> names;
        if (fs::exists(storage / "Archives"))
            for (const auto& f : fs::directory_iterator(storage / "Archives"))
                names.insert(f.path().filename().string());
        return names;
    }
    std::string Contents(const std::string& name) {
        std::ifstream in(storage / "Archives" / name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool Enabled(const char* control) { return window.IsEnabled(control); }
};

TEST_F(MessageCommands, StepsThroughTheSelectionInRowOrderAndBeepsAtTheEnds) {
    Select({1, 2, 4});  // IDs 3, 1, 2
    ASSERT_EQ(window.texts["txtSubject"], "Sujet 3");
    struct Step { char key; int position; const char* shown; bool up, down; int beeps; };
    const Step steps[] = {
        {'U', 1, "Sujet 3", false, true, 1},  // already first
        {'D', 2, "Sujet 1", true, true, 1},
        {'D', 3, "Sujet 2", true, false, 1},
        {'D', 3, "Sujet 2", true, false, 2},  // already last
        {'U', 2, "Sujet 1", true, true, 2},
        {'U', 1, "Sujet 3", false, true, 2},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(std::string(1, st.key) + " to " + std::to_string(st.position));
        window.visible["txtEnd"] = true;
        if (st.key == 'U') pelicard::cmdUp_Click(s);
        else pelicard::cmdDown_Click(s);
        EXPECT_EQ(s.selection.CurrentPosition, st.position);
        EXPECT_EQ(window.texts["txtSubject"], st.shown);
        EXPECT_EQ(Enabled("cmdUp"), st.up);
        EXPECT_EQ(Enabled("cmdDown"), st.down);
        EXPECT_EQ(window.beeps, st.beeps);
        EXPECT_FALSE(window.visible["txtEnd"]);
    }
    EXPECT_TRUE(Written().empty());
}

TEST_F(MessageCommands, NothingRunsWhileTheProgramUpdatesTheWindow) {
    Select({1, 2});
    const auto before = s.selection;
    s.EditorUpdate = true;
    using Handler = void (*)(State&);
    for (Handler h : {Handler(pelicard::cmdUp_Click), Handler(pelicard::cmdDown_Click),
                      Handler(pelicard::txtSubject_Change), Handler(pelicard::txtBody_Change),
                      Handler(pelicard::cmdModTxt_Click), Handler(pelicard::cmdModNws_Click),
                      Handler(pelicard::cmdAllTxt_Click), Handler(pelicard::cmdAllNws_Click),
                      Handler(pelicard::cmdPrint_Click)})
        h(s);
    EXPECT_TRUE(window.log.empty());
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.beeps, 0);
    EXPECT_EQ(s.selection.CurrentPosition, before.CurrentPosition);
    EXPECT_FALSE(s.selection.SubjectModified || s.selection.BodyModified);
    EXPECT_EQ(Raised(s.ops), "");
    EXPECT_TRUE(Written().empty());
}

TEST_F(MessageCommands, EditingOneMessageEnablesItsSaveCommands) {
    struct Case { const char* name; bool subject, body; bool modNws; };
    for (const Case& c : {Case{"subject", true, false, true}, Case{"body", false, true, false},
                          Case{"both", true, true, true}}) {
        SCOPED_TRACE(c.name);
        Select({3});
        EXPECT_FALSE(Enabled("cmdModTxt"));
        if (c.body) pelicard::txtBody_Change(s);
        if (c.subject) pelicard::txtSubject_Change(s);
        EXPECT_EQ(s.selection.SubjectModified, c.subject);
        EXPECT_EQ(s.selection.BodyModified, c.body);
        EXPECT_TRUE(Enabled("fraModRecord"));
        EXPECT_TRUE(Enabled("cmdModTxt"));
        EXPECT_EQ(Enabled("cmdModNws"), c.modNws);
        EXPECT_TRUE(window.boxes.empty());
    }
}

TEST_F(MessageCommands, EditingWithTwoRowsSelectedIsRefusedAtEveryKeystroke) {
    Select({2, 3});
    window.texts["txtBody"] = "Corps 1x";
    pelicard::txtBody_Change(s);
    pelicard::txtSubject_Change(s);
    ASSERT_EQ(window.boxes.size(), 2u);
    for (const auto& b : window.boxes) {
        EXPECT_EQ(b.text, "On ne peut modifier qu'un seul message \xE0 la fois");
        EXPECT_EQ(b.title, "Pelicard");
    }
    EXPECT_FALSE(s.selection.SubjectModified || s.selection.BodyModified);
    EXPECT_FALSE(Enabled("cmdModTxt"));
    EXPECT_FALSE(Enabled("cmdModNws"));
    EXPECT_EQ(window.texts["txtBody"], "Corps 1x");  // the typed text stays
}

TEST_F(MessageCommands, SavingTheEditedMessageWritesItsEditsAndSignalsTheEnd) {
    Select({3});  // ID 4
    window.texts["txtSubject"] = "Nouveau sujet";
    pelicard::txtSubject_Change(s);
    window.texts["txtBody"] = "Corps modifi\xE9";
    pelicard::txtBody_Change(s);

    pelicard::cmdModTxt_Click(s);
    EXPECT_EQ(Raised(s.ops), "t");
    EXPECT_TRUE(window.visible["txtEnd"]);
    const std::string text = Contents("Sujet 4_m_20080104 100000.txt");
    EXPECT_EQ(text.substr(0, 23), "Objet : Nouveau sujet\r\n");
    EXPECT_NE(text.find("\r\n\r\nCorps modifi\xE9"), std::string::npos) << text;

    pelicard::txtSubject_Click(s);
    EXPECT_FALSE(window.visible["txtEnd"]);

    pelicard::cmdModNws_Click(s);
    EXPECT_EQ(Raised(s.ops), "r");
    EXPECT_TRUE(window.visible["txtEnd"]);
    EXPECT_EQ(Contents("Sujet 4_m_20080104 100000.eml"),
              "From: Paul\r\nSubject: Nouveau sujet\r\n\r\nCorps 4");
    EXPECT_EQ(Written().size(), 2u);
}

TEST_F(MessageCommands, SavingAnEditWithNoMessageShownWritesNothing) {
    Select({});
    pelicard::txtSubject_Change(s);  // typing into the empty editor
    pelicard::cmdModTxt_Click(s);
    EXPECT_TRUE(Written().empty());
    EXPECT_FALSE(window.visible["txtEnd"]);
}

TEST_F(MessageCommands, SaveAllAsTextRunsTheBatchWithTheBarAndLeavesSteppingOff) {
    Select({1, 2, 4});
    pelicard::cmdAllTxt_Click(s);

    EXPECT_EQ(Written(), (std::set<std::string>{"Sujet 1_20080101 100000.txt",
                                                "Sujet 2_20080102 100000.txt",
                                                "Sujet 3_20080103 100000.txt"}));
    ASSERT_EQ(window.atRead.size(), 3u);
    for (const auto& k : window.atRead) {
        EXPECT_EQ(Raised(k), "T");
        EXPECT_TRUE(k.BatchRunning);
    }
    EXPECT_FALSE(s.ops.BatchRunning);
    EXPECT_NE(std::find(window.log.begin(), window.log.end(), "show Bar"), window.log.end());
    EXPECT_FALSE(window.progressVisible);
    EXPECT_FALSE(Enabled("cmdUp"));
    EXPECT_FALSE(Enabled("cmdDown"));
    EXPECT_TRUE(window.visible["txtEnd"]);
}

TEST_F(MessageCommands, RawCopiesAreOneFilePerMessageWhateverTheGrouping) {
    s.settings.GroupingOption = 1;
    for (auto& e : s.list.Wm) e.ThreadKey = "<Sujet>";
    Select({1, 2, 3, 4});
    pelicard::cmdAllNws_Click(s);

    EXPECT_EQ(Written().size(), 4u);
    EXPECT_EQ(Contents("Sujet 2_20080102 100000.eml"),
              "From: Paul\r\nSubject: Sujet 2\r\n\r\nCorps 2");
    ASSERT_EQ(window.atEvents.size(), 4u);  // the window lives between messages
    for (const auto& k : window.atEvents) {
        EXPECT_EQ(Raised(k), "R");
        EXPECT_TRUE(k.BatchRunning);
    }
    EXPECT_FALSE(s.ops.BatchRunning);
    EXPECT_FALSE(window.progressVisible);
    EXPECT_FALSE(Enabled("cmdUp"));
    EXPECT_FALSE(Enabled("cmdDown"));
    EXPECT_TRUE(window.visible["txtEnd"]);
}

TEST_F(MessageCommands, PrintingKeepsSteppingAndSteppingAfterItOnlyDisplays) {
    Select({1, 2});
    pelicard::cmdPrint_Click(s);
    EXPECT_EQ(printer.jobs, 2);
    ASSERT_EQ(window.atRead.size(), 2u);
    for (const auto& k : window.atRead) {
        EXPECT_EQ(Raised(k), "P");
        EXPECT_FALSE(k.BatchRunning);
    }
    EXPECT_FALSE(window.progressVisible);
    EXPECT_TRUE(Enabled("cmdDown"));  // kept as the selection left it

    const auto printed = printer.lines.size();
    pelicard::cmdDown_Click(s);
    EXPECT_EQ(window.texts["txtSubject"], "Sujet 1");
    EXPECT_EQ(printer.lines.size(), printed);
    EXPECT_EQ(printer.jobs, 2);
    EXPECT_TRUE(Written().empty());
}

}  // namespace
