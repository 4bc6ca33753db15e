// Speed of reading publications. Run through bench/run; never part of the
// tests. The peer for keyword matching is the runtime's own table scan.
#include "MaxPublication.h"
#include "container/TextSource.h"
#include "document/Keywords.h"
#include "document/Parser.h"
#include "document/Settings.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace lumeria;

LineClass tableScan(std::string_view keyForm)
{
    for (int i = 0; i < kKeywordCount; ++i) {
        if (keyForm.starts_with(kKeywordTexts[size_t(i)]))
            return {static_cast<Keyword>(i + 1), 0};
    }
    for (int i = 0; i < kLanguageElementCount; ++i) {
        const std::string_view n = kLanguageElementNames[size_t(i)];
        if (keyForm.starts_with(n) && keyForm.size() > n.size() && keyForm[n.size()] == '=')
            return {Keyword::None, i + 1};
    }
    return {};
}

const std::vector<std::string>& keyForms()
{
    static const std::vector<std::string> forms = [] {
        std::vector<std::string> f;
        for (std::string_view k : kKeywordTexts)
            f.push_back(std::string(k) + "123");
        f.push_back("L_INSTSUBTITLE=X");
        f.push_back("UNKNOWN=1");
        return f;
    }();
    return forms;
}

void BM_ClassifyLookup(benchmark::State& state)
{
    for (auto _ : state)
        for (const std::string& f : keyForms())
            benchmark::DoNotOptimize(classifyKeyForm(f));
    state.SetItemsProcessed(int64_t(state.iterations() * keyForms().size()));
}
BENCHMARK(BM_ClassifyLookup);

void BM_ClassifyTableScan(benchmark::State& state)
{
    for (auto _ : state)
        for (const std::string& f : keyForms())
            benchmark::DoNotOptimize(tableScan(f));
    state.SetItemsProcessed(int64_t(state.iterations() * keyForms().size()));
}
BENCHMARK(BM_ClassifyTableScan);

void BM_LoadLargestPublication(benchmark::State& state)
{
    const QByteArray text = bench::maxPublication();
    for (auto _ : state) {
        MemorySource source(text);
        TextSource lines(source);
        Publication pub;
        const int status = loadPublication(lines, pub, defaultPalette256());
        if (status != 0 || pub.document.pageCount() != 9999 || pub.document.objectCount() != 32000)
            state.SkipWithError("the largest publication did not load whole");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_LoadLargestPublication)->Unit(benchmark::kMillisecond);

// The player's own way: from a file, through positioned reads.
void BM_LoadLargestFromFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RUNTIME.PUB"));
    const QByteArray text = bench::maxPublication();
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) {
        state.SkipWithError("cannot write the publication");
        return;
    }
    out.close();
    for (auto _ : state) {
        FileSource source(path);
        TextSource lines(source);
        Publication pub;
        if (loadPublication(lines, pub, defaultPalette256()) != 0 || pub.document.objectCount() != 32000)
            state.SkipWithError("the largest publication did not load whole");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_LoadLargestFromFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // bench/run asks for the text itself, to time the whole dump command.
    if (argc == 3 && std::strcmp(argv[1], "--write-largest") == 0) {
        QFile out(QString::fromLocal8Bit(argv[2]));
        const QByteArray text = bench::maxPublication();
        return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
