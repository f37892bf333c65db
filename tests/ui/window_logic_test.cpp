// The main window's logic over a Windows Mail list in memory: enabling, keys, sorting, select all, resizing;
// stepping, edits, save and print commands; the options menu (grouping, storage folder, help faults).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <map>
#include <sstream>
#include <tuple>

#include "common/fault.hpp"
#include "support/eml_builder.hpp"
#include "support/fake_printer.hpp"
#include "support/fake_services.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"
#include "ui/layout.hpp"
#include "ui/list_split.hpp"
#include "app/extra_settings.hpp"
#include "ui/options_menu.hpp"
#include "ui/window_logic.hpp"

namespace fs = std::filesystem;
using namespace pelicard;
using namespace std::string_literals;

namespace {

using Rect = std::array<int, 4>;  // left, top, width, height

// The fake window, also keeping where controls were moved and column widths.
struct LayoutWindow : pelicard::testing::FakeWindow {
    std::map<std::string, Rect, std::less<>> places;
    std::map<int, int> columnWidths;
    void Move(std::string_view c, int l, int t, int w, int h) override { places[std::string(c)] = {l, t, w, h}; }
    void ListSetColumnWidth(int column, int twips) override { columnWidths[column] = twips; }
};

// n messages, message i in file Archives/i.eml; row r lists the "ID" ids[r-1]
// (r when ids is empty); the given rows selected and clicked; nothing saved.
struct Harness {
    LayoutWindow w;
    pelicard::testing::FakePrinter printer;
    pelicard::testing::FakeDialogs dialogs;
    pelicard::testing::TempFolder temp;
    State s;
    fs::path out = fs::path(temp.Path()) / "Documents Pelicard" / "Archives";

    explicit Harness(int n = 0, const std::vector<int>& rows = {}, const std::vector<int>& ids = {}) {
        s.window = &w, s.printer = &printer, s.dialogs = &dialogs;
        s.settings.StorageFolder = temp.Path() + "/Documents Pelicard";
        fs::create_directories(s.settings.StorageFolder);
        s.list.Mode = StoreMode::WindowsMail, s.list.Count = n, s.wm.WmFolderPath = temp.Path() + "/Archives";
        s.list.Wm.resize(static_cast<std::size_t>(n) + 1);
        for (int i = 1; i <= n; ++i) {
            const std::string k = std::to_string(i);
            s.list.Wm[static_cast<std::size_t>(i)] = {
                temp.Write("Archives/" + k + ".eml", "Subject: Sujet " + k + "\r\n\r\nCorps " + k), "Corps " + k,
                "Sujet " + k, "Paul", "0" + k + "/01/2008 10:00:00", "2008010" + k + " 100000", "<Sujet " + k + ">", ""};
            w.rows[w.ListAddRow("") - 1] = {"", "", "", "", std::to_string(ids.empty() ? i : ids[i - 1])};
        }
        SizeRowFlags(s);
        if (!rows.empty()) Select(rows);
    }
    void Select(const std::vector<int>& rows) {
        w.selected.assign(w.selected.size(), false);
        for (int r : rows) w.selected[static_cast<std::size_t>(r - 1)] = true;
        if (s.ui.EditsUnsaved) w.answers.push_front(MsgResult::Yes);  // edits left by a case are dropped
        lvwMessages_Click(s);
        w.doEvents = 0, w.log.clear(), w.visible["txtEnd"] = false;
    }
    bool On(const char* control) { return w.IsEnabled(control); }
    static std::string Read(const fs::path& file) {
        return (std::stringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
    }
    std::size_t SavedCount() { return fs::exists(out) ? std::distance(fs::directory_iterator(out), {}) : 0; }
};

// Four messages listed as IDs 3, 1, 4, 2 (a sorted view).
struct MessageCommands : Harness, ::testing::Test {
    MessageCommands() : Harness(4, {}, {3, 1, 4, 2}) {}
};
struct OptionsMenu : Harness, ::testing::Test {};

TEST(WindowLogicClick, EnablesWhatFitsTheNumberOfSelectedRows) {
    struct Case { std::vector<int> rows; const char* panel; bool grouping, some, down; const char* shown; };
    for (const Case& c : {Case{{}, "0", false, false, false, ""}, Case{{2}, "1", true, true, false, "Sujet 2"},
                          Case{{4, 1, 3}, "3", false, true, true, "Sujet 1"}}) {
        SCOPED_TRACE(c.panel);
        Harness h(5);
        // A previous selection of several rows left the stepping buttons on.
        h.w.SetEnabled("cmdDown", true), h.w.SetEnabled("cmdUp", true), h.s.selection.SubjectModified = true;
        h.Select(c.rows);
        EXPECT_EQ(std::tuple(h.w.panels[4], h.On("cmdGrouping"), h.On("cmdDown"), h.w.texts["txtSubject"]),
                  std::tuple(std::string(c.panel), c.grouping, c.down, std::string(c.shown)));
        for (const char* k : {"fraPrinting", "cmdPrint", "cmdAllTxt", "cmdAllNws"}) EXPECT_EQ(h.On(k), c.some) << k;
        EXPECT_FALSE(h.On("cmdModTxt") || h.On("cmdModNws") || h.On("cmdUp") || h.s.selection.SubjectModified ||
                     h.s.EditorUpdate);
    }
}

TEST(WindowLogicKeys, ArrowsKeepTheEditStateOtherSelectingKeysActAsAClickTheRestDoNothing) {
    struct Case { int key; bool moves, keepsEdit; };
    // Down arrow; Home, End, space bar; then keys with the selection left alone.
    for (const Case& c : {Case{40, 1, 1}, Case{36, 1, 0}, Case{35, 1, 0}, Case{32, 1, 0},
                          Case{36, 0, 0}, Case{16, 0, 0}, Case{37, 0, 0}, Case{9, 0, 0}}) {
        SCOPED_TRACE(c.key);
        Harness h(4, {2});
        h.s.selection.SubjectModified = true, EnableModifyCommands(h.s, true), h.w.log.clear();
        if (c.moves) h.w.selected = {true, false, false, true};
        lvwMessages_KeyUp(h.s, c.key);
        EXPECT_EQ(h.w.log.empty(), !c.moves);  // acts only when the selection moved
        if (!c.moves) continue;
        EXPECT_TRUE(h.w.panels[4] == "2" && h.w.texts["txtSubject"] == "Sujet 1" && h.On("cmdDown"));
        EXPECT_EQ(std::pair(h.s.selection.SubjectModified, h.On("cmdModNws")), std::pair(c.keepsEdit, c.keepsEdit));
    }
}

TEST(WindowLogicSortAndSelectAll, ColumnClicksFlipOneDirectionSortDatesOnTheirKeyAndClearTheSelection) {
    Harness empty, h(60, {1, 2});
    // column clicked, expected sort key, descending
    for (auto [column, key, descending] : {std::tuple{0, 0, true}, {2, 3, false}, {1, 1, true}, {4, 4, false}}) {
        lvwMessages_ColumnClick(h.s, column);
        EXPECT_TRUE(h.w.sorted && h.w.sortKey == key && h.w.sortDescending == descending) << column;
    }
    EXPECT_EQ(std::count(h.w.selected.begin(), h.w.selected.end(), true), 0);
    for (const char* k : {"cmdGrouping", "cmdAllTxt", "cmdPrint", "cmdDown"}) EXPECT_FALSE(h.On(k)) << k;

    mnuSelectAll_Click(empty.s);  // an empty list: nothing happens
    EXPECT_TRUE(empty.w.log.empty());
    mnuSelectAll_Click(h.s);  // every row, the first one shown
    EXPECT_EQ(std::tuple(h.w.panels[4], h.w.texts["txtSubject"], h.On("cmdDown"), h.On("cmdGrouping")),
              std::tuple(std::string("60"), std::string("Sujet 1"), true, false));
    EXPECT_EQ(std::count(h.s.selection.RowFlags.begin() + 1, h.s.selection.RowFlags.end(), true), 60);
}

TEST(WindowLogicResize, FollowsTheEdgesAndSnapsBackAtTheMinimum) {
    Harness h;
    SetExtraValue(h.s.app.extra, kListShareKey, "0");  // the list's part of the extra height (list_split_test)
    int width = 13055, height = 9100;
    Form_Resize(h.s, width, height, false);
    EXPECT_EQ(h.w.places["fraAllRecord"][0], width - 6730);
    EXPECT_EQ(h.w.places["txtBody"][3], height + 2550 - 8100);
    EXPECT_EQ(std::pair(h.w.columnWidths[1], h.w.panelWidths[2]), std::pair(8570, 5010));

    width = 9000, height = 5000;  // smaller than the smallest window: back to the start places
    Form_Resize(h.s, width, height, false);
    EXPECT_EQ(std::pair(width, height), std::pair(kMinWindowWidth, kMinWindowHeight));
    for (const char* c : {"fraAllRecord", "txtEnd", "txtBody"}) {
        const auto* p = FindStartPlace(c);
        EXPECT_EQ(h.w.places[c], (Rect{p->left, p->top, p->width, p->height})) << c;
    }
    h.w.places.clear(), width = 20000;  // minimised: nothing moves
    Form_Resize(h.s, width, height, true);
    EXPECT_TRUE(h.w.places.empty());
}

TEST_F(MessageCommands, StepsThroughTheSelectionInRowOrderAndBeepsAtTheEnds) {
    Select({1, 2, 4});  // IDs 3, 1, 2
    struct Step { void (*click)(State&); int position; const char* shown; bool up, down; int beeps; };
    for (const Step& st : {Step{cmdUp_Click, 1, "Sujet 3", false, true, 1}, Step{cmdDown_Click, 2, "Sujet 1", true, true, 1},
                           Step{cmdDown_Click, 3, "Sujet 2", true, false, 1}, Step{cmdDown_Click, 3, "Sujet 2", true, false, 2}}) {
        w.visible["txtEnd"] = true;
        st.click(s);
        EXPECT_EQ(std::tuple(s.selection.CurrentPosition, w.texts["txtSubject"], On("cmdUp"), On("cmdDown"), w.beeps,
                             w.visible["txtEnd"]),
                  std::tuple(st.position, std::string(st.shown), st.up, st.down, st.beeps, false));
    }
}

TEST_F(MessageCommands, EditsAreRecordedForOneMessageAndRefusedForTwo) {
    struct Case { std::vector<int> rows; bool subject, body, modTxt, modNws; std::size_t boxes; };
    for (const Case& c : {Case{{3}, true, false, true, true, 0}, Case{{3}, false, true, true, false, 0},
                          Case{{2, 3}, true, true, false, false, 2}}) {
        Select(c.rows);
        w.boxes.clear();
        if (c.body) txtBody_Change(s);
        if (c.subject) txtSubject_Change(s);
        EXPECT_EQ(std::pair(s.selection.SubjectModified, s.selection.BodyModified),
                  std::pair(c.subject && !c.boxes, c.body && !c.boxes));
        EXPECT_EQ(std::pair(On("cmdModTxt"), On("cmdModNws")), std::pair(c.modTxt, c.modNws));
        ASSERT_EQ(w.boxes.size(), c.boxes);
        for (const auto& b : w.boxes) EXPECT_EQ(b.text, "On ne peut modifier qu'un seul message \xE0 la fois");
    }
}

TEST_F(MessageCommands, SavingTheEditedMessageWritesTheEditsAndSignalsTheEnd) {
    Select({});  // nothing shown: an edit has nothing to be saved into
    txtSubject_Change(s), cmdModTxt_Click(s);
    EXPECT_EQ(SavedCount(), 0u);
    Select({3});  // ID 4
    w.texts["txtSubject"] = "Nouveau";
    txtSubject_Change(s), cmdModTxt_Click(s);
    EXPECT_TRUE(w.visible["txtEnd"]);
    EXPECT_EQ(Read(out / "Sujet 4_m_20080104 100000.txt").rfind("Objet : Nouveau\r\n", 0), 0u);
    txtSubject_Click(s), cmdModNws_Click(s);
    EXPECT_EQ(Read(out / "Sujet 4_m_20080104 100000.eml"), "Subject: Nouveau\r\n\r\nCorps 4");
    w.boxes.clear(), Select({2});  // once saved, moving on asks nothing
    EXPECT_TRUE(w.boxes.empty());
}

// DoEvents once a message; a stop asked after message stopAt ends the batch keeping what is written.
TEST_F(MessageCommands, BatchCommandsLetTheWindowRunAndStopBetweenTwoMessages) {
    struct Case { void (*click)(State&); std::uint8_t grouping, bySelection; int stopAt; std::size_t files, jobs; };
    for (const Case& c : {Case{cmdAllTxt_Click, 0, 0, 0, 3, 0}, Case{cmdAllNws_Click, 1, 0, 0, 3, 0},  // grouped or not
                          Case{cmdPrint_Click, 0, 0, 0, 0, 3}, Case{cmdAllTxt_Click, 0, 0, 2, 2, 0},
                          Case{cmdAllTxt_Click, 0, 1, 2, 1, 0}, Case{cmdAllNws_Click, 0, 0, 2, 2, 0},  // alone or combined
                          Case{cmdPrint_Click, 0, 1, 2, 0, 1}}) {
        SCOPED_TRACE(::testing::Message() << c.stopAt << " " << c.files << " " << c.jobs);
        fs::remove_all(out), printer.jobs.clear(), s.settings.GroupingOption = c.grouping;
        s.settings.SelectionOption = c.bySelection, Select({1, 2, 4});
        s.CancelRequested = true;  // left from an earlier command: cleared at the start
        w.onDoEvents = [&] { s.CancelRequested = w.doEvents == c.stopAt; };
        c.click(s);
        w.onDoEvents = nullptr;
        EXPECT_EQ(std::pair(w.doEvents, SavedCount()), std::pair(c.stopAt ? c.stopAt : 3, c.files));
        if (c.files && c.stopAt) { EXPECT_EQ(w.filesWritten.first.rfind("Commande arr\xEAt\xE9" "e : ", 0), 0u); }
        if (c.files && !c.stopAt) {
            EXPECT_EQ(w.filesWritten, std::pair("3 fichiers enregistr\xE9s dans \xAB Archives \xBB"s, out.string()));
        }
        if (c.files == 1) {  // the combined file, closed after the two messages in date order
            const std::string text = Read(fs::directory_iterator(out)->path());
            EXPECT_TRUE(text.find("Corps 2") != std::string::npos && text.find("Corps 3") == std::string::npos) << text;
        }
        EXPECT_NE(std::find(w.log.begin(), w.log.end(), "show Bar"), w.log.end());
        EXPECT_FALSE(w.progressVisible || s.ops.BatchRunning || s.exp.OutputFd >= 0 || s.exp.JobOpen);
        const bool print = c.click == cmdPrint_Click;  // after a print, stepping only displays
        EXPECT_TRUE(w.visible["txtEnd"] == !c.stopAt && On("cmdDown") == print);
        if (print) cmdDown_Click(s);
        EXPECT_EQ(printer.jobs.size(), c.jobs);
    }
}

// Another message, select all, opening a store, quitting: edits not saved
// are dropped only on Yes; on No the shown message and the selection stay.
TEST(WindowLogicEdits, EditsNotSavedAreDroppedOnlyWhenTheUserSaysSo) {
    const std::string question = "Le message modifi\xE9 n'a pas \xE9t\xE9 enregistr\xE9. Abandonner les modifications ?";
    using Act = void (*)(Harness&);
    const std::pair<const char*, Act> cases[] = {
        {"click", [](Harness& h) { h.w.selected = {false, false, true, false}, lvwMessages_Click(h.s); }},
        {"arrow", [](Harness& h) { h.w.selected = {false, false, true, false}, lvwMessages_KeyUp(h.s, 40); }},
        {"select all", [](Harness& h) { mnuSelectAll_Click(h.s); }},
        {"open", [](Harness& h) { h.dialogs.files.push_back(std::nullopt), mnuFileWM_Click(h.s); }},
        {"quit", [](Harness& h) { mnuQuit_Click(h.s); }},
    };
    for (const auto& [name, act] : cases)
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(name) + (yes ? " yes" : " no"));
            Harness h(4, {1});
            h.w.texts["txtSubject"] = "Nouveau", txtSubject_Change(h.s);
            h.w.answers = {yes ? MsgResult::Yes : MsgResult::No};
            act(h);
            ASSERT_FALSE(h.w.boxes.empty());
            EXPECT_TRUE(h.w.boxes[0].text == question && h.w.boxes[0].buttons == MsgButtons::YesNo);
            const bool kept = std::string(name) == "quit" ? !h.w.closed : h.w.texts["txtSubject"] == "Nouveau";
            EXPECT_EQ(kept, !yes);
            if (!yes) { EXPECT_EQ(h.w.selected, (std::vector<bool>{true, false, false, false})); }
        }
}

TEST_F(MessageCommands, NothingRunsWhileTheProgramUpdatesTheWindow) {
    Select({1, 2});
    s.EditorUpdate = true;
    for (auto h : {cmdUp_Click, cmdDown_Click, txtSubject_Change, txtBody_Change, cmdModTxt_Click, cmdModNws_Click,
                   cmdAllTxt_Click, cmdAllNws_Click, cmdPrint_Click})
        h(s);
    EXPECT_TRUE(w.log.empty() && w.beeps == 0 && SavedCount() == 0);
}

TEST_F(OptionsMenu, GroupingOptionsToggleAreNeverBothOnAndTheMenuShowsOnlyWhatIsInForce) {
    auto &g = s.settings.GroupingOption, &sel = s.settings.SelectionOption;
    // every start (none, one, other) and click (grouping or selection): grouping and selection after it
    for (auto [g0, s0, grouping, g1, s1] : {std::tuple{0, 0, true, 1, 0}, {0, 0, false, 0, 1}, {1, 0, true, 0, 0},
                                            {1, 0, false, 0, 1}, {0, 1, true, 1, 0}, {0, 1, false, 0, 0}}) {
        g = g0, sel = s0;
        (grouping ? mnuGrouping_Click : mnuSelection_Click)(s);
        EXPECT_EQ((std::pair<int, int>(g, sel)), std::pair(g1, s1)) << g0 << s0 << grouping;
        EXPECT_TRUE(w.checked["mnuGrouping"] == g1 && w.visible["lblGrouping"] == g1 &&
                    w.checked["mnuSelection"] == s1 && w.visible["lblSelection"] == s1);
    }
}

TEST_F(OptionsMenu, HelpFaultIsReportedThenTheProgramEndsThroughItsShutdown) {
    struct FailingHelp : HelpPort {
        void ShowHelp() override { throw Fault(faults::kFileNotFound); }
    } help;
    s.help = &help;
    EXPECT_THROW(mnuHelp_Click(s), ProgramEnding);
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_TRUE(w.boxes[0].title == "mnuHelp_Click" && w.closed);
}

TEST_F(OptionsMenu, StorageFolderChangeCreatesTheFolderAndRewritesTheSettingsAtOnce) {
    const fs::path root = temp.Path(), ini = root / "Pelicard.ini";
    const std::string old = (root / "docs" / "Documents Pelicard").string();
    const std::string chosen = (root / "Archives \xC3\xA9t\xC3\xA9").string();  // UTF-8 accents
    fs::create_directories(old), fs::create_directories(chosen), s.env.AppFolder = root.string() + "/";
    struct Case { std::string answer; bool changed; std::size_t boxes; };
    // Cancelled, cannot be created there, a file and not a folder, chosen.
    for (const Case& c : {Case{"", false, 0}, Case{(root / "no/such").string(), false, 1}, Case{ini.string(), false, 1},
                          Case{chosen, true, 0}}) {
        SCOPED_TRACE(c.answer);
        s.settings.StorageFolder = old, w.boxes.clear(), dialogs.folders.push_back(c.answer);
        std::ofstream(ini, std::ios::binary) << "old\r\n";
        mnuStorage_Click(s);
        EXPECT_EQ(dialogs.pickCalls.back().defaultFolder, (root / "docs").string());
        const std::string now = c.changed ? chosen + "/Documents Pelicard" : old;
        EXPECT_TRUE(s.settings.StorageFolder == now && fs::is_directory(now));
        const std::string iniText = Read(ini);
        EXPECT_EQ(iniText.rfind(c.changed ? now + "\r\n" : "old\r\n", 0), 0u) << iniText;
        EXPECT_TRUE(w.boxes.size() == c.boxes && !w.closed);
    }
}

}  // namespace
