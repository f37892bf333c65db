// Extending the selection to a conversation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/state.hpp"
#include "support/fake_window.hpp"
#include "ui/commands.hpp"

using pelicard::State;
using pelicard::testing::FakeWindow;

namespace {

struct Grouping : ::testing::Test {
    FakeWindow w;
    State s;

    // One Outlook Express entry per key, listed in the given row order of
    // entries (the "ID" column names the entry).
    void List(const std::vector<std::string>& keys, const std::vector<int>& rowOrder) {
        s.window = &w;
        s.list.Oe.assign(keys.size() + 1, {});
        for (std::size_t i = 0; i < keys.size(); ++i) s.list.Oe[i + 1].ThreadKey = keys[i];
        s.list.Count = static_cast<std::int32_t>(keys.size());
        s.selection.RowFlags.assign(keys.size() + 1, false);
        for (int id : rowOrder) {
            const int row = w.ListAddRow("r");
            for (int c = 0; c < 3; ++c) w.ListAddSubItem(row, "");
            w.ListAddSubItem(row, std::to_string(id));
        }
    }
    std::vector<int> SelectedRows() {
        std::vector<int> r;
        for (std::size_t i = 0; i < w.selected.size(); ++i)
            if (w.selected[i]) r.push_back(static_cast<int>(i) + 1);
        return r;
    }
};

TEST_F(Grouping, ExtendsTheSelectionToTheConversation) {
    struct Case {
        const char* name;
        std::vector<std::string> keys;
        std::vector<int> rowOrder;
        int selectedRow;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"alone", {"<A>", "<B>", "<C>"}, {1, 2, 3}, 2, {2}},
        // Rows sorted apart from the table: matching goes through "ID".
        {"three", {"<A>", "<B>", "<A>", "<A>", "<C>"}, {5, 3, 2, 1, 4}, 4, {2, 4, 5}},
        {"case", {"<R\xE9union>", "<R\xC9UNION>", "<Autre>"}, {1, 2, 3}, 1, {1, 2}},
        {"nothing", {"<A>", "<A>"}, {1, 2}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w = FakeWindow{};
        s.selection = {};
        List(c.keys, c.rowOrder);
        if (c.selectedRow) w.selected[static_cast<std::size_t>(c.selectedRow - 1)] = true;
        w.SetEnabled("cmdGrouping", true);

        pelicard::cmdGrouping_Click(s);

        EXPECT_EQ(SelectedRows(), c.expected);
        const auto n = static_cast<int>(c.expected.size());
        EXPECT_EQ(w.panels[4], std::to_string(n));
        EXPECT_EQ(s.selection.SelectionCount, n);
        for (int r : c.expected) EXPECT_TRUE(s.selection.RowFlags[static_cast<std::size_t>(r)]);
        EXPECT_EQ(std::count(s.selection.RowFlags.begin(), s.selection.RowFlags.end(), true), n);
        EXPECT_EQ(w.IsEnabled("cmdGrouping"), n == 1);
        EXPECT_EQ(w.IsEnabled("fraGrouping"), n == 1);
    }
}

TEST_F(Grouping, WindowsMailMessagesWithoutSubjectShareOneConversation) {
    s.window = &w;
    s.list.Mode = pelicard::StoreMode::WindowsMail;
    const std::string none = "<(Objet non pr\xE9" "cis\xE9)>";
    s.list.Wm.assign(4, {});
    s.list.Wm[1].ThreadKey = none;
    s.list.Wm[2].ThreadKey = "<Autre>";
    s.list.Wm[3].ThreadKey = none;
    s.list.Count = 3;
    for (int id = 1; id <= 3; ++id) {
        const int row = w.ListAddRow("r");
        for (int c = 0; c < 3; ++c) w.ListAddSubItem(row, "");
        w.ListAddSubItem(row, std::to_string(id));
    }
    w.selected[2] = true;
    pelicard::cmdGrouping_Click(s);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 3}));
}

}  // namespace
