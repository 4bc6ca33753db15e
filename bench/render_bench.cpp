// Drawing one page of 100 mixed objects off screen, beside writing the
// page's bytes once with memset. Run through bench/run; never a test.
#include "MixedPage.h"

#include "render/PageRenderer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using namespace lumeria;

using bench::MixedPage;
constexpr int kWidth = bench::kPageWidth;
constexpr int kHeight = bench::kPageHeight;

void BM_RenderMixedPage(benchmark::State& state)
{
    MixedPage page;
    const PageRenderer renderer(page.pub.document, page.context, QSize(kWidth, kHeight));
    const Page_Rec& first = *page.pub.document.pages().front();
    for (auto _ : state)
        benchmark::DoNotOptimize(renderer.renderOffScreen(first));
}
BENCHMARK(BM_RenderMixedPage)->Unit(benchmark::kMicrosecond);

// The least any drawing of the page costs: its bytes written once.
void BM_MemsetPage(benchmark::State& state)
{
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    uint8_t value = 0;
    for (auto _ : state) {
        std::memset(pixels.data(), ++value, pixels.size() * sizeof(uint32_t));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemsetPage)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The page as drawn, to look at, or to compare before and after a change
    // to drawing that must not move a pixel. It is drawn twice, and the
    // second drawing, which finds whatever the first left cached, must be
    // the same.
    if (argc == 3 && std::strcmp(argv[1], "--write-page") == 0) {
        MixedPage page;
        const PageRenderer renderer(page.pub.document, page.context, QSize(kWidth, kHeight));
        const Page_Rec& first = *page.pub.document.pages().front();
        gdi::Surface cold = renderer.renderOffScreen(first);
        gdi::Surface warm = renderer.renderOffScreen(first);
        if (cold.image() != warm.image()) {
            std::fputs("render_bench: the second drawing of the page differs from the first\n", stderr);
            return 1;
        }
        return warm.image().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
