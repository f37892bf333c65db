// The main window's list view with 100 000 rows, through the window port:
// filling it, sorting by a column, selecting all, and the click that reads
// the selection back. Beside them, in the same run, the same fill and sort
// on a tree widget holding one item per row (how the list was first built),
// as the reference; before timing, the two are checked to give the same
// order for every column and direction.
//   cmake -S . -B build-bench -DPELICARD_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench --target bench_window
//   QT_QPA_PLATFORM=offscreen build-bench/bench/bench_window --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <array>
#include <cstdio>
#include <string>

#include "common/state.hpp"
#include "common/text.hpp"
#include "ui/commands.hpp"
#include "ui/qt/main_window.hpp"
#include "ui/qt/message_list_view.hpp"
#include "ui/window_logic.hpp"

namespace {

constexpr int kRows = 100000;

// A Windows Mail list of kRows entries in memory, subjects in shuffled order.
void FillTable(pelicard::State& s) {
    s.list.Mode = pelicard::StoreMode::WindowsMail;
    s.list.Wm.assign(kRows + 1, {});
    for (int i = 1; i <= kRows; ++i) {
        auto& e = s.list.Wm[static_cast<std::size_t>(i)];
        e.Subject = "Sujet num\xE9ro " + std::to_string((static_cast<long long>(i) * 7919) % kRows);
        e.Sender = "Exp\xE9" "diteur " + std::to_string(i % 97);
        e.Body = "Corps";
        e.DateText = "03/12/2007 14:0" + std::to_string(i % 10) + ":00";
        e.DateKey = "20071203 140" + std::to_string(i % 10) + "00";
    }
    s.list.Count = kRows;
}

std::array<std::string, 5> RowTexts(const pelicard::State& s, int i) {
    const auto& e = s.list.Wm[static_cast<std::size_t>(i)];
    return {e.Subject, e.Sender, e.DateText, e.DateKey, std::to_string(i)};
}

void FillView(pelicard::State& s) {
    pelicard::WindowPort& w = *s.window;
    w.ListClear();
    for (int i = 1; i <= kRows; ++i) {
        const auto t = RowTexts(s, i);
        const int row = w.ListAddRow(t[0]);
        for (int c = 1; c < 5; ++c) w.ListAddSubItem(row, t[static_cast<std::size_t>(c)]);
    }
    w.DoEvents();
    pelicard::SizeRowFlags(s);
}

// The reference: one tree-widget item per row, compared as the list view
// compares its rows.
struct ItemPerRow : QTreeWidget {
    int key = 0;
};
struct RowItem : QTreeWidgetItem {
    std::array<std::string, 5> texts;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int c = static_cast<const ItemPerRow*>(treeWidget())->key;
        const auto& a = texts[static_cast<std::size_t>(c)];
        const auto& b = static_cast<const RowItem&>(other).texts[static_cast<std::size_t>(c)];
        return pelicard::CollateCompare(a, b) < 0;
    }
};
void FillItems(const pelicard::State& s, ItemPerRow& tree) {
    tree.clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(kRows);
    for (int i = 1; i <= kRows; ++i) {
        auto* item = new RowItem;
        item->texts = RowTexts(s, i);
        for (int c = 0; c < 5; ++c)
            item->setText(c, QString::fromStdString(pelicard::Cp1252ToUtf8(item->texts[static_cast<std::size_t>(c)])));
        items.append(item);
    }
    tree.insertTopLevelItems(0, items);
}

// Both lists sorted by the same columns in the same directions, one after
// the other, must show the same "ID" in every row.
bool SameOrders() {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    FillTable(s);
    FillView(s);
    ItemPerRow tree;
    tree.setColumnCount(5);
    FillItems(s, tree);
    const int steps[][2] = {{0, 1}, {1, 0}, {3, 1}, {1, 1}, {0, 0}, {3, 0}, {4, 1}};
    for (const auto& step : steps) {
        s.window->ListSetSorting(true, step[0], step[1] == 1);
        tree.key = step[0];
        tree.sortItems(step[0], step[1] == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
        for (int r = 0; r < kRows; ++r)
            if (s.window->ListCellText(r + 1, 5) != static_cast<RowItem*>(tree.topLevelItem(r))->texts[4]) return false;
    }
    return true;
}

void BM_Fill(benchmark::State& state) {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    window.show();
    FillTable(s);
    for (auto _ : state) FillView(s);
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond);

// A column's first sort after the list was filled: its texts are collated.
void BM_Sort(benchmark::State& state) {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    window.show();
    FillTable(s);
    int column = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FillView(s);
        state.ResumeTiming();
        pelicard::lvwMessages_ColumnClick(s, column);
        s.window->DoEvents();
        column = (column + 1) % 3;
    }
}
BENCHMARK(BM_Sort)->Unit(benchmark::kMillisecond);

// Sorting again by a column already sorted once.
void BM_SortAgain(benchmark::State& state) {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    window.show();
    FillTable(s);
    FillView(s);
    for (int column = 0; column < 3; ++column) pelicard::lvwMessages_ColumnClick(s, column);
    int column = 0;
    for (auto _ : state) {
        pelicard::lvwMessages_ColumnClick(s, column);
        s.window->DoEvents();
        column = (column + 1) % 3;
    }
}
BENCHMARK(BM_SortAgain)->Unit(benchmark::kMillisecond);

void BM_SelectAll(benchmark::State& state) {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    FillTable(s);
    FillView(s);
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 1; i <= kRows; ++i) s.window->ListSetSelected(i, false);
        s.window->DoEvents();
        state.ResumeTiming();
        pelicard::mnuSelectAll_Click(s);
        s.window->DoEvents();
    }
}
BENCHMARK(BM_SelectAll)->Unit(benchmark::kMillisecond);

// The click after a select-all: every row's selection read back.
void BM_Click(benchmark::State& state) {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    FillTable(s);
    FillView(s);
    pelicard::mnuSelectAll_Click(s);
    s.window->DoEvents();
    for (auto _ : state) {
        window.List()->selectAll();
        pelicard::lvwMessages_Click(s);
    }
}
BENCHMARK(BM_Click)->Unit(benchmark::kMillisecond);

void BM_ItemPerRow_Fill(benchmark::State& state) {
    pelicard::State s;
    FillTable(s);
    ItemPerRow tree;
    tree.setColumnCount(5);
    for (auto _ : state) {
        FillItems(s, tree);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ItemPerRow_Fill)->Unit(benchmark::kMillisecond);

void BM_ItemPerRow_Sort(benchmark::State& state) {
    pelicard::State s;
    FillTable(s);
    ItemPerRow tree;
    tree.setColumnCount(5);
    FillItems(s, tree);
    int column = 0;
    bool descending = true;
    for (auto _ : state) {
        tree.key = column == 2 ? 3 : column;
        tree.sortItems(tree.key, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        column = (column + 1) % 3;
        descending = !descending;
    }
}
BENCHMARK(BM_ItemPerRow_Sort)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!SameOrders()) {
        std::fprintf(stderr, "the model and the item-per-row list disagree on an order\n");
        return 1;
    }
    std::printf("orders checked: the model sorts as the item-per-row list\n");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
