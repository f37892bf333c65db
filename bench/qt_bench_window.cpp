// The main window's list view with 100 000 rows: filling it through the
// window port, selecting all, reading the selection back, sorting by a column.
//   cmake -S . -B build-bench -DPELICARD_BENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench --target bench_window && QT_QPA_PLATFORM=offscreen build-bench/bench/bench_window
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "common/state.hpp"
#include "ui/commands.hpp"
#include "ui/qt/main_window.hpp"
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
        e.DateText = "03/12/2007 14:05:00";
        e.DateKey = "20071203 140500";
    }
    s.list.Count = kRows;
}

void FillView(pelicard::State& s) {
    pelicard::WindowPort& w = *s.window;
    w.ListClear();
    for (int i = 1; i <= kRows; ++i) {
        const auto& e = s.list.Wm[static_cast<std::size_t>(i)];
        const int row = w.ListAddRow(e.Subject);
        w.ListAddSubItem(row, e.Sender);
        w.ListAddSubItem(row, e.DateText);
        w.ListAddSubItem(row, e.DateKey);
        w.ListAddSubItem(row, std::to_string(i));
    }
    w.DoEvents();
    pelicard::SizeRowFlags(s);
}

void BM_FillList(benchmark::State& state) {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    FillTable(s);
    for (auto _ : state) FillView(s);
}
BENCHMARK(BM_FillList)->Unit(benchmark::kMillisecond);

void BM_SelectAllThenClick(benchmark::State& state) {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    FillTable(s);
    FillView(s);
    for (auto _ : state) {
        pelicard::mnuSelectAll_Click(s);
        s.window->DoEvents();
        pelicard::lvwMessages_Click(s);
    }
}
BENCHMARK(BM_SelectAllThenClick)->Unit(benchmark::kMillisecond);

void BM_ColumnSort(benchmark::State& state) {
    pelicard::State s;
    pelicard::qt::MainWindow window(s);
    FillTable(s);
    FillView(s);
    int column = 0;
    for (auto _ : state) {
        pelicard::lvwMessages_ColumnClick(s, column);
        column = (column + 1) % 3;
    }
}
BENCHMARK(BM_ColumnSort)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
