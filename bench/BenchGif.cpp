// GIF decoding speed of CGifImage against giflib on the same files in one run:
// a 2000 x 1500 gradient-and-noise picture written by our own writer and, when
// ImageMagick is installed, a photo-like one written by ImageMagick. Both sides
// end with the picture's indices in bottom-up rows padded to 4 bytes.

#include "image/GifCodec.h"
#include "image/GifImage.h"
#include "platform/File.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample {
    std::string name;
    Bytes gif;
    uint32_t width = 0;
    uint32_t height = 0;
};

// Diagonal light falling across the picture, with sensor-like noise, over a
// 256-entry colour ramp.
Bytes GradientGif(uint32_t w, uint32_t h)
{
    std::mt19937 rng(2024);
    std::normal_distribution<double> noise(0.0, 6.0);
    Bytes pixels(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            double v = 255.0 * (0.6 * x / w + 0.4 * y / h) + noise(rng);
            pixels[size_t(y) * w + x] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
        }
    uint8_t rgb[768];
    for (int i = 0; i < 256; ++i) {
        rgb[3 * i] = static_cast<uint8_t>(i);
        rgb[3 * i + 1] = static_cast<uint8_t>(i * 3 / 4 + 40);
        rgb[3 * i + 2] = static_cast<uint8_t>(255 - i / 2);
    }
    Bytes gif;
    GifEncode(pixels.data(), w, w, h, rgb, gif);
    return gif;
}

bool MagickGif(Bytes& gif)
{
    if (std::system("convert-im6.q16 -version >/dev/null 2>&1") != 0)
        return false;
    char dir[] = "/tmp/benchgifXXXXXX";
    if (!mkdtemp(dir))
        return false;
    std::string path = std::string(dir) + "/photo.gif";
    std::string command = "convert-im6.q16 -seed 5 -size 2000x1500 plasma:fractal -blur 0x2 "
                          "-attenuate 0.4 +noise Gaussian -colors 256 '" + path + "' >/dev/null 2>&1";
    bool ok = std::system(command.c_str()) == 0;
    if (ok) {
        std::ifstream in(path, std::ios::binary);
        gif.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ok = !gif.empty();
    }
    std::remove(path.c_str());
    rmdir(dir);
    return ok;
}

struct MemoryReader {
    const Bytes* data;
    size_t pos;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    size_t n = std::min(static_cast<size_t>(count), reader->data->size() - reader->pos);
    std::memcpy(buffer, reader->data->data() + reader->pos, n);
    reader->pos += n;
    return static_cast<int>(n);
}

// giflib's reading of the file, the last image copied into bottom-up padded rows.
bool GiflibDecode(const Bytes& gif, Bytes& dib, uint32_t& w, uint32_t& h)
{
    MemoryReader reader{&gif, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&reader, ReadMemory, &error);
    if (!file)
        return false;
    bool ok = DGifSlurp(file) == GIF_OK && file->ImageCount > 0;
    if (ok) {
        const SavedImage& image = file->SavedImages[file->ImageCount - 1];
        w = static_cast<uint32_t>(image.ImageDesc.Width);
        h = static_cast<uint32_t>(image.ImageDesc.Height);
        const size_t stride = (size_t(w) + 3) & ~size_t(3);
        dib.assign(stride * h, 0);
        for (uint32_t y = 0; y < h; ++y)
            std::memcpy(dib.data() + (h - 1 - y) * stride, image.RasterBits + size_t(y) * w, w);
    }
    DGifCloseFile(file, &error);
    return ok;
}

void SetCounters(benchmark::State& state, const Sample& s)
{
    const double pixels = double(s.width) * s.height;
    state.SetBytesProcessed(static_cast<int64_t>(pixels * state.iterations()));
    state.counters["file MB/s"] = benchmark::Counter(double(s.gif.size()) * state.iterations() / 1e6,
                                                     benchmark::Counter::kIsRate);
}

void BM_Corvale(benchmark::State& state, const Sample* s)
{
    CMemFile file(s->gif);
    CGifImage image;
    for (auto _ : state) {
        file.Seek(0, CFile::begin);
        if (!image.LoadImage(&file)) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(image.GetBits());
    }
    SetCounters(state, *s);
}

void BM_Giflib(benchmark::State& state, const Sample* s)
{
    Bytes dib;
    uint32_t w = 0, h = 0;
    for (auto _ : state) {
        if (!GiflibDecode(s->gif, dib, w, h)) {
            state.SkipWithError("giflib failed");
            break;
        }
        benchmark::DoNotOptimize(dib.data());
    }
    SetCounters(state, *s);
}

// Both decoders must give the same rows, or the comparison means nothing.
bool SameResult(const Sample& s)
{
    CMemFile file(s.gif);
    CGifImage image;
    Bytes dib;
    uint32_t w = 0, h = 0;
    if (!image.LoadImage(&file) || !GiflibDecode(s.gif, dib, w, h))
        return false;
    return w == image.GetWidth() && h == image.GetHeight() && dib.size() == image.GetBitsSize() &&
           std::equal(dib.begin(), dib.end(), image.GetBits());
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // Single runs, or the mean when repetitions are asked for.
        for (const Run& r : runs)
            if (!r.error_occurred && (r.run_type == Run::RT_Iteration || r.aggregate_name == "mean"))
                m_times[r.run_name.str()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<Sample> samples;
    samples.push_back({"gradient_own_2000x1500", GradientGif(2000, 1500), 2000, 1500});
    Bytes magick;
    if (MagickGif(magick))
        samples.push_back({"photo_imagemagick_2000x1500", magick, 2000, 1500});
    else
        std::fprintf(stderr, "convert-im6.q16 not available: ImageMagick sample skipped\n");

    for (const Sample& s : samples) {
        if (!SameResult(s)) {
            std::fprintf(stderr, "%s: CGifImage and giflib disagree\n", s.name.c_str());
            return 1;
        }
        benchmark::RegisterBenchmark(("GifDecode/corvale/" + s.name).c_str(), BM_Corvale, &s)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("GifDecode/giflib/" + s.name).c_str(), BM_Giflib, &s)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-32s %10s %14s %12s %12s %8s\n", "file", "bytes", "corvale ms cpu", "corvale MB/s",
                "giflib MB/s", "ratio");
    for (const Sample& s : samples) {
        auto ours = reporter.m_times.find("GifDecode/corvale/" + s.name);
        auto theirs = reporter.m_times.find("GifDecode/giflib/" + s.name);
        if (ours == reporter.m_times.end() || theirs == reporter.m_times.end())
            continue;
        // CPU times in milliseconds (the unit set above), steadier than wall
        // time on a busy machine; MB/s of decoded pixels.
        const double mb = double(s.width) * s.height / 1e6;
        std::printf("%-32s %10zu %14.2f %12.1f %12.1f %7.2fx\n", s.name.c_str(), s.gif.size(), ours->second,
                    mb / (ours->second / 1e3), mb / (theirs->second / 1e3), theirs->second / ours->second);
    }
    benchmark::Shutdown();
    return 0;
}
