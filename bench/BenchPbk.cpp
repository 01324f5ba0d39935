// Load and store speed of a Picture Book of 100,000 nodes with ordinary
// captions and texts, and the memory the loaded tree takes per node.

#include "model/Archive.h"
#include "model/CorvaleDoc.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>

namespace {

constexpr int kNodes = 100000;

// Groups of 20 photographs, every fourth photograph with a sound clip.
std::unique_ptr<CCorvaleDoc> MakeBook()
{
    auto doc = std::make_unique<CCorvaleDoc>();
    doc->m_strBookTitle = "Summer holidays";
    doc->m_strOwnerName = "Ann Example";
    doc->m_strOwnerEmail = "ann@example.org";
    int made = 1;
    CPhotoNode* group = nullptr;
    for (int i = 0; made < kNodes; ++i) {
        if (i % 20 == 0) {
            auto g = std::make_unique<CPhotoNode>();
            g->m_bGroup = 1;
            g->m_strCaption = "Day " + std::to_string(i / 20 + 1);
            g->m_strText = "What we did that day, in a sentence or two.";
            group = doc->m_root.AddPhoto(std::move(g));
            ++made;
        }
        auto p = std::make_unique<CPhotoNode>();
        p->SetFileName("IMG_" + std::to_string(10000 + i) + ".JPG");
        p->m_strCaption = "Photograph number " + std::to_string(i);
        p->m_strText = "A short description of the photograph, of ordinary length for a caption.";
        if (i % 4 == 0) {
            auto m = std::make_unique<CMediaNode>();
            m->SetFileName("clip" + std::to_string(i) + ".wav");
            m->m_strCaption = "Voice note";
            p->AddMedia(std::move(m));
            ++made;
        }
        group->AddPhoto(std::move(p));
        ++made;
    }
    return doc;
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
