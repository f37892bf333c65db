// The list view over its model, headless: the order of successive column
// sorts (stable, both directions), the selection following its rows through
// a sort and through rows added to a sorted list, and the rows' marks.
#include <gtest/gtest.h>

#include <QApplication>
#include <string>

#include "ui/qt/message_list_view.hpp"

using pelicard::qt::MessageListView;

namespace {

bool HeadlessApp() {
    static int argc = 1; static char name[] = "test_qt", *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!QApplication::instance()) new QApplication(argc, argv);  // never destroyed: it outlives every window
    return true;
}

struct ListModel : ::testing::Test {
    bool app = HeadlessApp();
    MessageListView list;
    // Rows "subject|sender", their "ID" numbered from 1 in order.
    void Add(const std::vector<std::string>& rows) {
        for (const auto& r : rows) {
            const int row = list.AddRow(r.substr(0, r.find('|')));
            list.AddSubItem(row, r.substr(r.find('|') + 1));
            for (const char* t : {"", ""}) list.AddSubItem(row, t);
            list.AddSubItem(row, std::to_string(row));
        }
    }
    std::string Ids() {
        std::string out;
        for (int r = 1; r <= list.RowCount(); ++r) out += list.CellText(r, 5) + (list.IsSelected(r) ? "*" : "") + " ";
        return out;
    }
};

TEST_F(ListModel, SuccessiveSortsAreStableInBothDirections) {
    Add({"b|x", "A|y", "a|x", "B|y", "\xE9|x", "e|y", "a|y"});
    const struct { int key; bool descending; const char* ids; } steps[] = {
        {0, false, "3 7 2 1 4 6 5 "},  // small letters first, then accents; equal texts in their order
        {0, true, "5 6 4 1 2 3 7 "},   // reversed, but 3 still before 7
        {1, false, "5 1 3 6 4 2 7 "},  // by sender, the previous order kept within each
        {1, true, "6 4 2 7 5 1 3 "},
        {7, false, "6 4 2 7 5 1 3 "},  // no such column: the order stays
    };
    for (const auto& s : steps) {
        list.SetSorting(true, s.key, s.descending);
        EXPECT_EQ(Ids(), s.ids) << s.key << s.descending;
    }
}

TEST_F(ListModel, SelectionFollowsItsRowsThroughSortsAndAddedRows) {
    Add({"c|", "a|", "d|", "b|"});
    list.SetSelected(1, true), list.SetSelected(4, true);
    list.Flush();
    list.SetSorting(true, 0, false);
    EXPECT_EQ(Ids(), "2 4* 1* 3 ");
    Add({"aa|", "0|"});  // numbered 5 and 6, placed by the sort at the next flush
    list.Flush();
    EXPECT_EQ(Ids(), "6 2 5 4* 1* 3 ");
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 2);
}

TEST_F(ListModel, RowsAreMarkedFromTheirEntry) {
    Add({"a|", "b|", "c|"});
    list.SetSorting(true, 0, true);
    list.SetRowMarker([](int entry) {
        pelicard::qt::RowMark m;
        if (entry == 2) m.background = QBrush(Qt::yellow), m.toolTip = QStringLiteral("r\u00e9cup\u00e9r\u00e9");
        return m;
    });
    auto* model = list.model();
    const int rows[] = {0, 1, 2};  // shown c, b, a
    for (int r : rows) {
        const QVariant bg = model->index(r, 3).data(Qt::BackgroundRole), tip = model->index(r, 0).data(Qt::ToolTipRole);
        EXPECT_EQ(bg.isValid(), r == 1) << r;
        EXPECT_EQ(tip.toString(), r == 1 ? QStringLiteral("r\u00e9cup\u00e9r\u00e9") : QString()) << r;
    }
    EXPECT_EQ(model->index(1, 0).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::yellow));
}

}  // namespace
