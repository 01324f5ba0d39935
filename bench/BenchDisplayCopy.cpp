// Speed of the display copy of a 6000 x 4000 photograph (24-bit and 8-bit)
// at 1/4 and 2/3, with Pillow's reduce(4) and BOX resize of the same picture
// measured in the same run as the yardstick (skipped when Pillow is missing).

#include "image/DisplayCopy.h"
#include "image/SECImage.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kWidth = 6000;
constexpr uint32_t kHeight = 4000;

class Picture : public SECImage {
public:
    const char* GetClassName() const override { return "Picture"; }
    bool DoSaveImage(CFile*) override { return false; }
    bool DoLoadImage(CFile*) override { return false; }
};

// Smooth colour ramps with noise on top, so no row or block is constant.
void Fill(Picture& p, int bpp)
{
    p.Create(kWidth, kHeight, bpp, bpp == 8 ? 256 : 0);
    uint32_t seed = 12345;
    auto next = [&]() { return seed = seed * 1664525u + 1013904223u; };
    size_t stride = static_cast<size_t>(p.PaddedRowLength());
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = p.GetBits() + y * stride;
        for (size_t i = 0; i < stride; ++i)
            row[i] = static_cast<uint8_t>((i / 7 + y / 5) + (next() >> 28));
    }
    for (uint16_t i = 0; i < p.GetColourCount(); ++i)
        *p.GetColour(i) = RgbQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                  static_cast<uint8_t>(i * 7), 0};
}

Picture& Source(int bpp)
{
    static Picture rgb, indexed;
    Picture& p = bpp == 24 ? rgb : indexed;
    if (!p.HasPicture())
        Fill(p, bpp);
    return p;
}

// Pillow's times in milliseconds by operation; empty when it cannot run.
std::map<std::string, double> g_pillow;

double PillowMs(const char* name)
{
    auto it = g_pillow.find(name);
    return it == g_pillow.end() ? 0 : it->second;
}

// Hands the 24-bit picture to Pillow as top-down RGB and lets it time its
// own operations with timeit (best of several runs, one call each).
void MeasurePillow()
{
    namespace fs = std::filesystem;
    fs::path raw = fs::temp_directory_path() / "corvale_bench_displaycopy.rgb";
    {
        Picture& p = Source(24);
        size_t stride = static_cast<size_t>(p.PaddedRowLength());
        std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
        for (uint32_t y = 0; y < kHeight; ++y) {
            const uint8_t* src = p.GetBits() + size_t(kHeight - 1 - y) * stride;
            uint8_t* dst = rgb.data() + size_t(y) * kWidth * 3;
            for (uint32_t x = 0; x < kWidth; ++x) {
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
        }
        std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(rgb.data()), rgb.size());
    }
    const char* script =
        "import sys, timeit\n"
        "from PIL import Image\n"
        "box = getattr(Image, 'Resampling', Image).BOX\n"
        "im = Image.frombytes('RGB', (6000, 4000), open(sys.argv[1], 'rb').read())\n"
        "ops = [('reduce4', lambda: im.reduce(4)),\n"
        "       ('box_quarter', lambda: im.resize((1500, 1000), box)),\n"
        "       ('box_two_thirds', lambda: im.resize((4000, 2666), box))]\n"
        "for name, f in ops:\n"
        "    print(name, min(timeit.repeat(f, number=1, repeat=7)) * 1000)\n";
    std::string command = "/usr/bin/python3 -c \"" + std::string(script) + "\" '" + raw.string() + "' 2>/dev/null";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char name[64];
        double ms = 0;
        while (std::fscanf(pipe, "%63s %lf", name, &ms) == 2)
            g_pillow[name] = ms;
        pclose(pipe);
    }
    std::error_code ignored;
    fs::remove(raw, ignored);
}

// Times each call (the target is made anew every time, as the viewer does)
// and reports the best time next to Pillow's.
void RunScale(benchmark::State& state, int bpp, uint32_t w, uint32_t h, const char* peer)
{
    Picture& source = Source(bpp);
    Picture target;
    double best = 1e30;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (!DisplayCopy::Scale(source, w, h, target)) {
            state.SkipWithError("scale failed");
            return;
        }
        benchmark::DoNotOptimize(target.GetBits());
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, ms);
    }
    state.counters["best_ms"] = best;
    double pillow = PillowMs(peer);
    if (pillow > 0) {
        state.counters["pillow_ms"] = pillow;
        state.counters["speedup"] = pillow / best; // above 1: faster than Pillow
    }
}

void BM_Quarter24(benchmark::State& s) { RunScale(s, 24, kWidth / 4, kHeight / 4, "reduce4"); }
void BM_TwoThirds24(benchmark::State& s) { RunScale(s, 24, kWidth * 2 / 3, kHeight * 2 / 3, "box_two_thirds"); }
void BM_Quarter8(benchmark::State& s) { RunScale(s, 8, kWidth / 4, kHeight / 4, "reduce4"); }
void BM_TwoThirds8(benchmark::State& s) { RunScale(s, 8, kWidth * 2 / 3, kHeight * 2 / 3, "box_two_thirds"); }

// Pillow's own best times, reported as manual times so they line up in the table.
void BM_Pillow(benchmark::State& state, const char* name)
{
    for (auto _ : state)
        state.SetIterationTime(PillowMs(name) / 1000.0);
    state.counters["best_ms"] = PillowMs(name);
}

} // namespace

BENCHMARK(BM_Quarter24)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_TwoThirds24)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Quarter8)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_TwoThirds8)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    MeasurePillow();
    if (g_pillow.empty()) {
        std::fprintf(stderr, "Pillow (/usr/bin/python3) not available: peer skipped\n");
    } else {
        for (const char* name : {"reduce4", "box_quarter", "box_two_thirds"})
            benchmark::RegisterBenchmark((std::string("BM_Pillow/") + name).c_str(), BM_Pillow, name)
                ->UseManualTime()
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
