// The recovery scan of a large .dbx file, without writing anything:
//
//   PELICARD_RECOVER_DBX=store.dbx bench_recover --benchmark_repetitions=5
//
// Pass: the whole-file pass alone. Chains: the pass and the chaining with no
// index (every chain is rebuilt, as for a file whose tree root is lost).
// List: what `liste --recuperer` does before printing: the index, the pass,
// the chains no index reaches and their entries.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "common/state.hpp"
#include "dbx/recover.hpp"

namespace {

const char* Store() { return std::getenv("PELICARD_RECOVER_DBX"); }

void BM_Pass(benchmark::State& st) {
    pelicard::ByteFile f;
    if (!Store() || !pelicard::OpenByteFile(f, Store())) return st.SkipWithError("PELICARD_RECOVER_DBX not readable");
    std::vector<pelicard::ScannedBlock> blocks;
    for (auto _ : st) {
        pelicard::ScanTextBlocks(f, blocks);
        benchmark::DoNotOptimize(blocks.data());
    }
    st.counters["blocks"] = static_cast<double>(blocks.size());
    pelicard::CloseByteFile(f);
}

void BM_Chains(benchmark::State& st) {
    pelicard::State s;
    if (!Store() || !pelicard::OpenByteFile(s.dbx.File, Store())) return st.SkipWithError("PELICARD_RECOVER_DBX not readable");
    std::vector<pelicard::ScannedBlock> blocks;
    for (auto _ : st) {
        pelicard::ScanTextBlocks(s.dbx.File, blocks);
        pelicard::BuildRecoveredChains(s, blocks);
        benchmark::DoNotOptimize(s.dbx.Recovery.Blocks.data());
    }
    st.counters["chains"] = static_cast<double>(s.dbx.Recovery.ChainStart.size() - 1);
    pelicard::CloseByteFile(s.dbx.File);
}

void BM_List(benchmark::State& st) {
    if (!Store()) return st.SkipWithError("PELICARD_RECOVER_DBX not set");
    std::int32_t listed = 0;
    for (auto _ : st) {
        pelicard::State s;
        s.dbx.ChosenPath = Store();
        pelicard::ReadIndexGuarded(s);
        pelicard::RecoverMessages(s);
        listed = s.list.Count;
        pelicard::CloseByteFile(s.dbx.File);
    }
    st.counters["listed"] = listed;
}

}  // namespace

BENCHMARK(BM_Pass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Chains)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_List)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
