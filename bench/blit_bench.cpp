// Blits of a 640x480 screen through the raster operations pages use, beside
// copying the same rows with memcpy: the floor no blit can go under. Run
// through bench/run; never a test.
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Surface.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

namespace {

using namespace lumeria;
using namespace lumeria::gdi;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

Surface noise(int w, int h)
{
    Surface s(w, h);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            s.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    }
    return s;
}

// The peer: the same pixels moved with memcpy, row by row.
void BM_RowCopy(benchmark::State& state)
{
    const Surface source = noise(kWidth, kHeight);
    Surface target(kWidth, kHeight);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(target.view().scanLine(y), source.view().scanLine(y), size_t(kWidth) * 4);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_RowCopy);

// A screen blitted with the given code under a monochrome pattern brush, as
// transitions and masked pictures draw.
void BM_BitBlt(benchmark::State& state, Rop3 rop)
{
    const Surface source = noise(kWidth, kHeight);
    Surface target = noise(kWidth, kHeight);
    Canvas canvas(target);
    canvas.setTextColour(rgb(0, 0, 0));
    canvas.setBackgroundColour(rgb(255, 255, 255));
    canvas.setBrush(Brush::pattern({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}));
    for (auto _ : state) {
        canvas.bitBlt({0, 0, kWidth, kHeight}, source.view(), {0, 0}, rop);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK_CAPTURE(BM_BitBlt, SrcCopy, kSrcCopy);
BENCHMARK_CAPTURE(BM_BitBlt, SrcAnd, kSrcAnd);
BENCHMARK_CAPTURE(BM_BitBlt, SrcInvert, kSrcInvert);
BENCHMARK_CAPTURE(BM_BitBlt, SrcPaint, kSrcPaint);
BENCHMARK_CAPTURE(BM_BitBlt, MergeCopy, kMergeCopy);
BENCHMARK_CAPTURE(BM_BitBlt, PatCopy, kPatCopy);
BENCHMARK_CAPTURE(BM_BitBlt, PatInvert, kPatInvert);
// The masked-picture idiom of the dissolve transitions.
BENCHMARK_CAPTURE(BM_BitBlt, PatternSelect, kPatternSelect);
// DSPDxax, a code with no fast path: the generic evaluation.
BENCHMARK_CAPTURE(BM_BitBlt, Generic, Rop3(0x00E20746));

// A quarter screen doubled to the whole screen, as a scaled picture is drawn.
void BM_StretchBlt(benchmark::State& state)
{
    const Surface source = noise(kWidth / 2, kHeight / 2);
    Surface target(kWidth, kHeight);
    Canvas canvas(target);
    for (auto _ : state) {
        canvas.stretchBlt({0, 0, kWidth, kHeight}, source.view(), {0, 0, kWidth / 2, kHeight / 2}, kSrcCopy);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_StretchBlt);

} // namespace

BENCHMARK_MAIN();
