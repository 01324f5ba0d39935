// JPEG loading through SECJpeg against a bare libjpeg-turbo decode of the
// same file into the same BGR rows (what djpeg does before writing its
// output): the image object's overhead over the library.

#include "image/SECJpeg.h"
#include "platform/File.h"

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// A 4000 x 3000 photo-like picture written by our own writer.
const std::vector<uint8_t>& SampleJpeg()
{
    static std::vector<uint8_t> bytes = [] {
        SECJpeg image;
        const uint32_t w = 4000, h = 3000;
        image.Create(w, h, 24, 0);
        size_t stride = static_cast<size_t>(image.PaddedRowLength());
        uint32_t seed = 7;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                seed = seed * 1664525 + 1013904223;
                uint8_t* p = image.GetBits() + y * stride + 3 * x;
                p[0] = static_cast<uint8_t>(128 + 100 * std::sin(x * 0.01) + (seed >> 29));
                p[1] = static_cast<uint8_t>(y * 255 / h);
                p[2] = static_cast<uint8_t>((x ^ y) & 0xFF);
            }
        CMemFile file;
        image.SaveImage(&file);
        return file.Bytes();
    }();
    return bytes;
}

void BM_SECJpegLoad(benchmark::State& state)
{
    const auto& bytes = SampleJpeg();
    for (auto _ : state) {
        SECJpeg image;
        CMemFile file(bytes);
        bool ok = image.LoadImage(&file);
        benchmark::DoNotOptimize(ok);
    }
    state.counters["MB/s"] = benchmark::Counter(4000.0 * 3000 * 3 * state.iterations() / 1e6,
                                                benchmark::Counter::kIsRate);
}

void BM_LibjpegDecode(benchmark::State& state)
{
    const auto& bytes = SampleJpeg();
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr jerr;
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        // A fresh output buffer each time, as each decode of a file makes one.
        size_t stride = size_t(cinfo.output_width) * 3;
        std::unique_ptr<uint8_t, void (*)(void*)> pixels(
            static_cast<uint8_t*>(std::calloc(stride * cinfo.output_height, 1)), &std::free);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.get() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.counters["MB/s"] = benchmark::Counter(4000.0 * 3000 * 3 * state.iterations() / 1e6,
                                                benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_SECJpegLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LibjpegDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
