// The main window's logic over the fake window: enabling rules for 0, 1 and
// several selected rows, keys, select all, column sorting and the "ID"
// column, and the resize rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/state.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"
#include "ui/layout.hpp"
#include "ui/window_logic.hpp"

using pelicard::State;
using pelicard::testing::FakeWindow;

namespace {

struct Rect {
    int left, top, width, height;
    bool operator==(const Rect&) const = default;
};

// The fake window, also keeping where controls were moved and column widths.
struct LayoutWindow : FakeWindow {
    std::map<std::string, Rect, std::less<>> places;
    std::map<int, int> columnWidths;
    void Move(std::string_view c, int l, int t, int w, int h) override { places[std::string(c)] = {l, t, w, h}; }
    void ListSetColumnWidth(int column, int twips) override { columnWidths[column] = twips; }
};

// A Windows Mail list of n messages held in memory (reading one copies its
// fields), listed in the fake window with "ID" i on row i.
struct Harness {
    LayoutWindow w;
    State s;

    Harness() { s.window = &w; }

    void Fill(int n) {
        s.list.Mode = pelicard::StoreMode::WindowsMail;
        s.list.Wm.assign(static_cast<std::size_t>(n) + 1, {});
        for (int i = 1; i <= n; ++i) {
            auto& e = s.list.Wm[static_cast<std::size_t>(i)];
            e.Subject = "Sujet " + std::to_string(i);
            e.Body = "Corps " + std::to_string(i);
            e.Sender = "a@b";
            e.DateText = "03/12/2007 14:05:00";
            e.ThreadKey = "<Sujet " + std::to_string(i) + ">";
            const int row = w.ListAddRow(e.Subject);
            for (const char* t : {"a@b", "03/12/2007 14:05:00", "20071203 140500"}) w.ListAddSubItem(row, t);
            w.ListAddSubItem(row, std::to_string(i));
        }
        s.list.Count = n;
        pelicard::SizeRowFlags(s);
    }
    void Select(std::initializer_list<int> rows) {
        for (int r : rows) w.selected[static_cast<std::size_t>(r - 1)] = true;
    }
    bool On(const char* control) { return w.IsEnabled(control); }
};

struct WindowLogic : ::testing::Test, Harness {};

TEST_F(WindowLogic, ClickEnablesWhatFitsTheNumberOfSelectedRows) {
    struct Case {
        std::vector<int> rows;
        const char* panel;
        bool grouping, some, down;
        const char* shown;
    };
    const Case cases[] = {
        {{}, "0", false, false, false, ""},
        {{2}, "1", true, true, false, "Sujet 2"},
        {{4, 1, 3}, "3", false, true, true, "Sujet 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panel);
        Harness h;
        auto& w = h.w;
        auto& s = h.s;
        auto On = [&](const char* k) { return h.On(k); };
        h.Fill(5);
        // A previous selection of several rows left the stepping buttons on.
        w.SetEnabled("cmdDown", true);
        w.SetEnabled("cmdUp", true);
        s.selection.SubjectModified = true;
        for (int r : c.rows) w.selected[static_cast<std::size_t>(r - 1)] = true;

        pelicard::lvwMessages_Click(s);

        EXPECT_EQ(w.panels[4], c.panel);
        EXPECT_EQ(On("fraGrouping"), c.grouping);
        EXPECT_EQ(On("cmdGrouping"), c.grouping);
        for (const char* k : {"fraAllRecord", "fraPrinting", "cmdPrint", "cmdAllTxt", "cmdAllNws"})
            EXPECT_EQ(On(k), c.some) << k;
        for (const char* k : {"fraModRecord", "cmdModTxt", "cmdModNws", "cmdUp"}) EXPECT_FALSE(On(k)) << k;
        EXPECT_EQ(On("cmdDown"), c.down);
        EXPECT_EQ(w.texts["txtSubject"], c.shown);
        EXPECT_FALSE(s.selection.SubjectModified);
        EXPECT_FALSE(s.EditorUpdate);
        EXPECT_EQ(s.selection.SelectionCount, static_cast<int>(c.rows.size()));
        if (!c.rows.empty()) {
            EXPECT_EQ(s.selection.CurrentPosition, 1);
        }
    }
}

TEST_F(WindowLogic, CollectSelectionTakesIdsInRowOrderAndClearsTheOperationFlags) {
    Fill(4);
    // Rows shown in another order than the table, as after a sort.
    std::swap(w.rows[0], w.rows[3]);
    s.selection.RowFlags = {false, true, false, true, true};
    s.ops.SaveAllText = s.ops.PrintSelected = s.ops.SaveModifiedRaw = true;
    w.SetVisible("txtEnd", true);
    pelicard::CollectSelection(s);
    EXPECT_EQ(s.selection.SelectionCount, 3);
    EXPECT_EQ(s.selection.SelectionOrder, (std::vector<std::int32_t>{0, 4, 3, 1}));
    EXPECT_FALSE(s.ops.SaveAllText || s.ops.PrintSelected || s.ops.SaveModifiedRaw);
    EXPECT_FALSE(w.visible["txtEnd"]);
}

TEST_F(WindowLogic, ArrowKeysRereadTheSelectionButKeepTheEditState) {
    Fill(3);
    Select({1});
    pelicard::lvwMessages_Click(s);
    s.selection.SubjectModified = true;
    pelicard::EnableModifyCommands(s, true);
    w.selected = {false, true, true};

    pelicard::lvwMessages_KeyUp(s, 40);

    EXPECT_EQ(w.panels[4], "2");
    EXPECT_EQ(w.texts["txtSubject"], "Sujet 2");
    EXPECT_TRUE(On("cmdDown"));
    EXPECT_TRUE(s.selection.SubjectModified);
    EXPECT_TRUE(On("cmdModNws"));
    EXPECT_FALSE(s.EditorUpdate);
}

TEST_F(WindowLogic, OtherKeysThatChangeTheSelectionActAsAClick) {
    // Home, End and the space bar move or toggle the selection too.
    for (int key : {36, 35, 32}) {
        SCOPED_TRACE(key);
        Harness h;
        auto& w = h.w;
        auto& s = h.s;
        auto On = [&](const char* k) { return h.On(k); };
        h.Fill(4);
        h.Select({2});
        pelicard::lvwMessages_Click(s);
        s.selection.SubjectModified = true;
        w.selected = {true, false, false, true};

        pelicard::lvwMessages_KeyUp(s, key);

        EXPECT_EQ(w.panels[4], "2");
        EXPECT_EQ(w.texts["txtSubject"], "Sujet 1");
        EXPECT_FALSE(On("cmdGrouping"));
        EXPECT_TRUE(On("cmdDown"));
        EXPECT_EQ(s.selection.RowFlags, (std::vector<bool>{false, true, false, false, true}));
        EXPECT_FALSE(s.selection.SubjectModified);
    }
}

TEST_F(WindowLogic, KeysThatLeaveTheSelectionAloneDoNothing) {
    Fill(3);
    Select({2});
    pelicard::lvwMessages_Click(s);
    w.log.clear();
    for (int key : {16, 17, 37, 39, 9, 36}) pelicard::lvwMessages_KeyUp(s, key);
    EXPECT_TRUE(w.log.empty());
}

TEST_F(WindowLogic, SelectAllSelectsEveryRowAndShowsTheFirst) {
    pelicard::mnuSelectAll_Click(s);  // an empty list: nothing happens
    EXPECT_TRUE(w.log.empty());
    EXPECT_EQ(w.panels.count(4), 0u);
    Fill(500);
    pelicard::mnuSelectAll_Click(s);
    EXPECT_EQ(w.panels[4], "500");
    EXPECT_EQ(std::count(w.selected.begin(), w.selected.end(), true), 500);
    EXPECT_EQ(std::count(s.selection.RowFlags.begin() + 1, s.selection.RowFlags.end(), true), 500);
    EXPECT_EQ(s.selection.SelectionCount, 500);
    EXPECT_EQ(w.texts["txtSubject"], "Sujet 1");
    EXPECT_FALSE(On("cmdGrouping"));
    EXPECT_TRUE(On("cmdAllTxt"));
    EXPECT_TRUE(On("cmdDown"));
    EXPECT_FALSE(On("cmdUp"));
}

TEST_F(WindowLogic, ColumnClicksFlipOneDirectionAndSortDatesOnTheirKey) {
    Fill(3);
    Select({1, 2});
    pelicard::lvwMessages_Click(s);
    ASSERT_TRUE(On("cmdDown"));

    // column clicked, expected sort key, descending
    const std::tuple<int, int, bool> clicks[] = {{0, 0, true}, {2, 3, false}, {1, 1, true}, {4, 4, false}};
    for (const auto& [column, key, descending] : clicks) {
        pelicard::lvwMessages_ColumnClick(s, column);
        EXPECT_TRUE(w.sorted);
        EXPECT_EQ(w.sortKey, key);
        EXPECT_EQ(w.sortDescending, descending);
    }
    EXPECT_EQ(std::count(w.selected.begin(), w.selected.end(), true), 0);
    // The flags keep the old selection until the next click.
    EXPECT_TRUE(s.selection.RowFlags[1]);
    for (const char* k : {"cmdGrouping", "cmdAllTxt", "cmdPrint", "cmdModTxt", "cmdDown", "cmdUp"})
        EXPECT_FALSE(On(k)) << k;
}

TEST_F(WindowLogic, ResizeFollowsTheEdgesAndSnapsBackAtTheMinimum) {
    using pelicard::FindStartPlace;
    auto start = [](const char* name) {
        const auto* p = FindStartPlace(name);
        return Rect{p->left, p->top, p->width, p->height};
    };
    int width = 13055, height = 9100;
    pelicard::Form_Resize(s, width, height, false);
    EXPECT_EQ(w.places["fraAllRecord"].left, 13055 - 6730);
    EXPECT_EQ(w.places["fraModRecord"].left, 13055 - 4130);
    EXPECT_EQ(w.places["fraPrinting"].left, 13055 - 1530);
    EXPECT_EQ(w.places["cmdDown"].left, 13055 - 1085);
    EXPECT_EQ(w.places["cmdUp"].left, 13055 - 600);
    for (const char* c : {"txtEnd", "Bar"}) {
        EXPECT_EQ(w.places[c].left, 13055 - 3395) << c;
        EXPECT_EQ(w.places[c].top, 9100 - 1070) << c;
    }
    for (const char* c : {"lvwMessages", "txtSubject", "txtBody"}) EXPECT_EQ(w.places[c].width, 13055 - 370) << c;
    EXPECT_EQ(w.places["txtBody"].height, 9100 + 2550 - 8100);
    EXPECT_EQ(w.places["lvwMessages"].height, start("lvwMessages").height);
    EXPECT_EQ(w.columnWidths[1], 8570);  // W - 370 - 10625 + 6510.04
    EXPECT_EQ(w.panelWidths[2], 5010);   // W + 3009.82 - 11055

    // Narrower and lower than the smallest window: back to the start places.
    width = 9000;
    height = 5000;
    pelicard::Form_Resize(s, width, height, false);
    EXPECT_EQ(width, pelicard::kMinWindowWidth);
    EXPECT_EQ(height, pelicard::kMinWindowHeight);
    for (const char* c : {"fraAllRecord", "fraPrinting", "cmdUp", "txtEnd", "lvwMessages", "txtBody"})
        EXPECT_EQ(w.places[c], start(c)) << c;
    EXPECT_EQ(w.columnWidths[1], 6510);
    EXPECT_EQ(w.panelWidths[2], 3010);

    // Minimised: nothing moves.
    w.places.clear();
    width = 20000;
    pelicard::Form_Resize(s, width, height, true);
    EXPECT_TRUE(w.places.empty());
}

}  // namespace
