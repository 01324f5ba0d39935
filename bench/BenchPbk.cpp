// Load and store speed of a Picture Book of 100,000 nodes with ordinary
// captions and texts, and the memory the loaded tree takes per node.

#include "BookFixture.h"
#include "model/Archive.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>

namespace {

constexpr int kNodes = 100000;

std::unique_ptr<CCorvaleDoc> MakeBook()
{
    return MakeBenchBook(kNodes);
}

std::string StoreBook(CCorvaleDoc& doc)
{
    CArchive ar;
    doc.Serialize(ar);
    return ar.TakeStoredBytes();
}

void BM_LoadBook(benchmark::State& state)
{
    std::string bytes = StoreBook(*MakeBook());
    double bytesPerNode = 0;
    for (auto _ : state) {
        size_t before = mallinfo2().uordblks;
        auto doc = std::make_unique<CCorvaleDoc>();
        CArchive ar(bytes.data(), bytes.size());
        doc->Serialize(ar);
        bytesPerNode = double(mallinfo2().uordblks - before) / kNodes;
        benchmark::DoNotOptimize(doc.get());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["nodes/s"] =
        benchmark::Counter(double(kNodes) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["bytes/node"] = bytesPerNode;
    state.counters["file bytes/node"] = double(bytes.size()) / kNodes;
}

void BM_StoreBook(benchmark::State& state)
{
    // Into a reused buffer, as a save goes into the page cache.
    auto doc = MakeBook();
    CStringSink sink;
    for (auto _ : state) {
        sink.m_bytes.clear();
        CArchive ar(sink);
        doc->Serialize(ar);
        ar.Flush();
        benchmark::DoNotOptimize(sink.m_bytes.data());
    }
    state.counters["nodes/s"] =
        benchmark::Counter(double(kNodes) * state.iterations(), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_LoadBook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreBook)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
