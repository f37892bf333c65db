// The main window's logic over the fake window: enabling rules for 0, 1 and
// several selected rows, keys, select all, column sorting, the resize rules.
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

namespace {

struct Rect {
    int left, top, width, height;
    bool operator==(const Rect&) const = default;
};

// The fake window, also keeping where controls were moved and column widths.
struct LayoutWindow : pelicard::testing::FakeWindow {
    std::map<std::string, Rect, std::less<>> places;
    std::map<int, int> columnWidths;
    void Move(std::string_view c, int l, int t, int w, int h) override { places[std::string(c)] = {l, t, w, h}; }
    void ListSetColumnWidth(int column, int twips) override { columnWidths[column] = twips; }
};

// A Windows Mail list of n messages held in memory, "ID" i on row i, with the
// given rows selected and clicked.
struct Harness {
    LayoutWindow w;
    State s;
    Harness(int n = 0, std::initializer_list<int> rows = {}) {
        s.window = &w;
        if (n == 0) return;
        s.list.Mode = pelicard::StoreMode::WindowsMail;
        s.list.Wm.assign(static_cast<std::size_t>(n) + 1, {});
        for (int i = 1; i <= n; ++i) {
            auto& e = s.list.Wm[static_cast<std::size_t>(i)];
            e.Subject = "Sujet " + std::to_string(i);
            e.ThreadKey = "<" + e.Subject + ">";
            const int row = w.ListAddRow(e.Subject);
            for (const char* t : {"a@b", "03/12/2007 14:05:00", "20071203 140500"}) w.ListAddSubItem(row, t);
            w.ListAddSubItem(row, std::to_string(i));
        }
        s.list.Count = n;
        pelicard::SizeRowFlags(s);
        for (int r : rows) w.selected[static_cast<std::size_t>(r - 1)] = true;
        if (rows.size()) pelicard::lvwMessages_Click(s);
    }
    bool On(const char* control) { return w.IsEnabled(control); }
};

TEST(WindowLogicClick, EnablesWhatFitsTheNumberOfSelectedRows) {
    struct Case { std::vector<int> rows; const char* panel; bool grouping, some, down; const char* shown; };
    for (const Case& c : {Case{{}, "0", false, false, false, ""}, Case{{2}, "1", true, true, false, "Sujet 2"},
                          Case{{4, 1, 3}, "3", false, true, true, "Sujet 1"}}) {
        SCOPED_TRACE(c.panel);
        Harness h(5);
        // A previous selection of several rows left the stepping buttons on.
        h.w.SetEnabled("cmdDown", true), h.w.SetEnabled("cmdUp", true), h.s.selection.SubjectModified = true;
        for (int r : c.rows) h.w.selected[static_cast<std::size_t>(r - 1)] = true;
        pelicard::lvwMessages_Click(h.s);
        EXPECT_EQ(h.w.panels[4], c.panel);
        EXPECT_EQ(h.On("cmdGrouping"), c.grouping);
        for (const char* k : {"fraPrinting", "cmdPrint", "cmdAllTxt", "cmdAllNws"}) EXPECT_EQ(h.On(k), c.some) << k;
        for (const char* k : {"cmdModTxt", "cmdModNws", "cmdUp"}) EXPECT_FALSE(h.On(k)) << k;
        EXPECT_EQ(h.On("cmdDown"), c.down);
        EXPECT_EQ(h.w.texts["txtSubject"], c.shown);
        EXPECT_FALSE(h.s.selection.SubjectModified || h.s.EditorUpdate);
    }
}

TEST(WindowLogicKeys, ArrowsKeepTheEditStateOtherSelectingKeysActAsAClickTheRestDoNothing) {
    struct Case { int key; bool moves, acts, keepsEdit; };
    // Down arrow; Home, End, space bar; then keys with the selection left alone.
    for (const Case& c : {Case{40, 1, 1, 1}, Case{36, 1, 1, 0}, Case{35, 1, 1, 0}, Case{32, 1, 1, 0},
                          Case{36, 0, 0, 0}, Case{16, 0, 0, 0}, Case{37, 0, 0, 0}, Case{9, 0, 0, 0}}) {
        SCOPED_TRACE(c.key);
        Harness h(4, {2});
        h.s.selection.SubjectModified = true;
        pelicard::EnableModifyCommands(h.s, true);
        h.w.log.clear();
        if (c.moves) h.w.selected = {true, false, false, true};
        pelicard::lvwMessages_KeyUp(h.s, c.key);
        EXPECT_EQ(h.w.log.empty(), !c.acts);
        if (!c.acts) continue;
        EXPECT_EQ(h.w.panels[4], "2");
        EXPECT_EQ(h.w.texts["txtSubject"], "Sujet 1");
        EXPECT_TRUE(h.On("cmdDown"));
        EXPECT_EQ(h.s.selection.SubjectModified, c.keepsEdit);
        EXPECT_EQ(h.On("cmdModNws"), c.keepsEdit);
    }
}

TEST(WindowLogicSelectAll, SelectsEveryRowAndShowsTheFirst) {
    Harness empty, h(500);
    pelicard::mnuSelectAll_Click(empty.s);  // an empty list: nothing happens
    EXPECT_TRUE(empty.w.log.empty());
    pelicard::mnuSelectAll_Click(h.s);
    EXPECT_EQ(h.w.panels[4], "500");
    EXPECT_EQ(std::count(h.s.selection.RowFlags.begin() + 1, h.s.selection.RowFlags.end(), true), 500);
    EXPECT_EQ(h.w.texts["txtSubject"], "Sujet 1");
    EXPECT_TRUE(h.On("cmdDown"));
    EXPECT_FALSE(h.On("cmdGrouping"));
}

TEST(WindowLogicSort, ColumnClicksFlipOneDirectionSortDatesOnTheirKeyAndClearTheSelection) {
    Harness h(3, {1, 2});
    // column clicked, expected sort key, descending
    for (const auto& [column, key, descending] :
         {std::tuple{0, 0, true}, std::tuple{2, 3, false}, std::tuple{1, 1, true}, std::tuple{4, 4, false}}) {
        pelicard::lvwMessages_ColumnClick(h.s, column);
        EXPECT_TRUE(h.w.sorted);
        EXPECT_EQ(h.w.sortKey, key);
        EXPECT_EQ(h.w.sortDescending, descending);
    }
    EXPECT_EQ(std::count(h.w.selected.begin(), h.w.selected.end(), true), 0);
    for (const char* k : {"cmdGrouping", "cmdAllTxt", "cmdPrint", "cmdDown"}) EXPECT_FALSE(h.On(k)) << k;
}

TEST(WindowLogicResize, FollowsTheEdgesAndSnapsBackAtTheMinimum) {
    Harness h;
    LayoutWindow& w = h.w;
    auto start = [](const char* name) {
        const auto* p = pelicard::FindStartPlace(name);
        return Rect{p->left, p->top, p->width, p->height};
    };
    int width = 13055, height = 9100;
    pelicard::Form_Resize(h.s, width, height, false);
    EXPECT_EQ(w.places["fraAllRecord"].left, width - 6730);
    EXPECT_EQ(w.places["txtBody"].height, height + 2550 - 8100);
    EXPECT_EQ(w.columnWidths[1], 8570);  // W - 370 - 10625 + 6510.04
    EXPECT_EQ(w.panelWidths[2], 5010);   // W + 3009.82 - 11055

    width = 9000, height = 5000;  // smaller than the smallest window: back to the start places
    pelicard::Form_Resize(h.s, width, height, false);
    EXPECT_EQ(width, pelicard::kMinWindowWidth);
    EXPECT_EQ(height, pelicard::kMinWindowHeight);
    for (const char* c : {"fraAllRecord", "txtEnd", "txtBody"}) EXPECT_EQ(w.places[c], start(c)) << c;

    w.places.clear();  // minimised: nothing moves
    width = 20000;
    pelicard::Form_Resize(h.s, width, height, true);
    EXPECT_TRUE(w.places.empty());
}

}  // namespace
