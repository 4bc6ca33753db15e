// Painting article text. One screen of a 100 000-line article should cost
// the same at line 90 000 as at line 0: the painter seeks to the first line
// shown instead of reading up to it. Run through bench/run; never a test.
#include "container/ByteSource.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Surface.h"
#include "text/TextLayout.h"
#include "text/TextPainter.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>

namespace {

using namespace lumeria;

constexpr int kLines = 100000;

// The article, laid out once by the engine from a generated source: words,
// links, colours and bold runs on every few lines, as a long article has.
struct Article {
    QTemporaryDir dir;
    QString formatted;

    Article()
    {
        QByteArray source;
        for (int i = 0; i < kLines; ++i) {
            source += "Line " + QByteArray::number(i) + " of the ^Bstory^b";
            if (i % 7 == 0)
                source += " with a ^Llink=GO \"P" + QByteArray::number(i) + "\"^l";
            if (i % 11 == 0)
                source += " ^P9~in red^p";
            source += "\r\n";
        }
        const QString path = dir.filePath(QStringLiteral("SOURCE.TXT"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(source);
        f.close();
        FileSource file(path);
        const auto laid = text::layOutText(gdi::Font::fromPoints(QStringLiteral("Arial"), 10), file,
                                           {600, false, dir.filePath(QStringLiteral("ARTICLE.V")), dir.path()});
        if (laid)
            formatted = laid->output;
    }
};

Article& article()
{
    static Article a;
    return a;
}

void paintScreen(benchmark::State& state, int options)
{
    const int firstLine = int(state.range(0));
    FileSource file(article().formatted);
    gdi::Surface surface(640, 480);
    gdi::Canvas canvas(surface);
    canvas.setFont(gdi::Font::fromPoints(QStringLiteral("Arial"), 10));
    text::HyperLinkList links;
    int recordLength = 0;
    text::TextPaintRequest request;
    request.rect = {0, 0, 640, 480};
    request.options = text::paintoption::kFreeLinks | options;
    request.firstLine = firstLine;
    request.background = gdi::rgb(255, 255, 255);
    int shown = 0;
    for (auto _ : state) {
        shown = text::paintFormattedText(canvas, file, request, links, recordLength).linesShown;
        benchmark::DoNotOptimize(surface.pixel(1, 1));
    }
    state.counters["lines_shown"] = shown;
}

void BM_PaintScreenSeeking(benchmark::State& state)
{
    paintScreen(state, 0);
}
BENCHMARK(BM_PaintScreenSeeking)->Arg(0)->Arg(90000)->Unit(benchmark::kMicrosecond);

// The peer: reaching the first line by reading every line before it.
void BM_PaintScreenReading(benchmark::State& state)
{
    paintScreen(state, text::paintoption::kSequential);
}
BENCHMARK(BM_PaintScreenReading)->Arg(0)->Arg(90000)->Unit(benchmark::kMicrosecond);

void BM_LayOut10000Lines(benchmark::State& state)
{
    QTemporaryDir dir;
    QByteArray source;
    for (int i = 0; i < 10000; ++i)
        source += "Some ^Bwords^b that wrap across the width of the box, line " + QByteArray::number(i) + "\r\n";
    for (auto _ : state) {
        MemorySource bytes(source);
        const auto laid = text::layOutText(gdi::Font::fromPoints(QStringLiteral("Arial"), 10), bytes,
                                           {300, true, dir.filePath(QStringLiteral("OUT.V")), dir.path()});
        benchmark::DoNotOptimize(laid.ok());
    }
}
BENCHMARK(BM_LayOut10000Lines)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (article().formatted.isEmpty())
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
