// Drawing one page of 100 mixed objects off screen, beside writing the
// page's bytes once with memset. Run through bench/run; never a test.
#include "container/TextSource.h"
#include "document/Parser.h"
#include "document/Settings.h"
#include "render/PageRenderer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using namespace lumeria;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Rectangles, ellipses, lines, texts that wrap, and buttons of every style,
// spread over the page so that they overlap as pages do.
QByteArray mixedPage()
{
    QByteArray text = "ScreenWidth=640\r\nScreenHeight=480\r\nNewPage=1\r\nPageColor=16777215\r\n";
    for (int i = 0; i < 100; ++i) {
        const int x = (i * 37) % 560, y = (i * 53) % 420;
        QByteArray rect = "X1=" + QByteArray::number(x) + "\r\nY1=" + QByteArray::number(y) +
                          "\r\nX2=" + QByteArray::number(x + 80) + "\r\nY2=" + QByteArray::number(y + 40) +
                          "\r\nLineColor=0\r\nLineWidth=1\r\nFillColor=" + QByteArray::number(i * 167772 % 16777215) +
                          "\r\nFillPattern=0\r\n";
        switch (i % 6) {
        case 0: text += "ObjectType=5\r\n" + rect; break;
        case 1: text += "ObjectType=6\r\n" + rect; break;
        case 2: text += "ObjectType=7\r\n" + rect; break;
        case 3:
            text += "ObjectType=8\r\n" + rect +
                    "Font=Arial\r\nFontSize=10\r\nWordWrap=Yes\r\nText=A short paragraph that wraps in its box\r\n";
            break;
        case 4:
            text += "ObjectType=3\r\n" + rect + "Style=" + QByteArray::number((i / 6) % 4) +
                    "\r\nFont=Arial\r\nFontSize=9\r\nText=Button " + QByteArray::number(i) + "\r\n";
            break;
        default:
            text += "ObjectType=8\r\n" + rect + "Font=Times New Roman\r\nFontSize=12\r\nFontStyle=1\r\nText=Title\r\n";
            break;
        }
    }
    return text;
}

struct MixedPage {
    Publication pub;
    PaintContext context;
    MixedPage()
    {
        MemorySource source(mixedPage());
        TextSource lines(source);
        loadPublication(lines, pub, defaultPalette256());
        context.substitute = [](const QString& text) { return text; };
    }
};

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
