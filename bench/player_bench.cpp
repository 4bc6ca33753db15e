// The script engine wired to the input layer as the window wires it, so a
// variable write also refreshes the objects bound to it: the same counting
// loop in a one-page publication and in the largest one. Run through
// bench/run; never part of the tests.
#include "MaxPublication.h"
#include "QuietHost.h"
#include "container/TextSource.h"
#include "document/Parser.h"
#include "document/Settings.h"
#include "input/InputController.h"
#include "script/ScriptEngine.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

using namespace lumeria;

// Everything a window would do is dropped, except what the loop relies on:
// variables, substitution and events.
class BareWindow final : public bench::QuietHost, public InteractionHost {
public:
    explicit BareWindow(Publication& pub) : m_pub(pub), engine(*this, *this, pub), input(*this)
    {
        engine.variables().addListener([this](const QString& name) { input.refreshBoundObjects(name); });
        engine.reset();
        input.initialiseFieldStates();
    }

    // Shared by both hosts.
    void beep() override {}
    void goToPage(Page_Rec*) override {}
    void closeMainWindow() override {}

    // InteractionHost.
    Publication& publication() override { return m_pub; }
    QPoint pageOrigin() const override { return {}; }
    void redrawObject(const Object_Rec&, Redraw) override {}
    void runScript(const QString& script) override { engine.run(script); }
    QString variable(const QString& name) const override { return engine.variables().get(name); }
    void setVariable(const QString& name, const QString& value) override { engine.variables().set(name, value); }
    QString substitute(const QString& text) const override { return engine.substitute(text); }
    void setWorkAreaCursor(WorkAreaCursor) override {}
    void setTimerRunning(bool) override {}
    bool runsAsScreenSaver() const override { return false; }
    bool scriptRunning() const override { return engine.isRunning(); }
    void userStop() override { engine.userStop(); }
    void waitProcessingEvents(int) override {}
    bool onScrollBar(const Object_Rec&, QPoint) const override { return false; }
    bool hasScrollBar(const Object_Rec&, ScrollAxis) const override { return false; }
    bool scrollBarKey(const Object_Rec&, ScrollAxis, int) override { return false; }
    std::optional<QString> articleLinkAt(const Object_Rec&, QPoint) override { return std::nullopt; }
    std::optional<int> findAnchor(const Object_Rec&, const QString&) override { return std::nullopt; }
    void scrollArticleToLine(const Object_Rec&, int) override {}
    void toggleFocusFrame(const Object_Rec&) override {}
    QWidget* editFieldParent() override { return nullptr; }
    QWidget* mainWindow() override { return nullptr; }

private:
    Publication& m_pub;

public:
    ScriptEngine engine;
    InputController input;
};

constexpr int kIterations = 20000;
constexpr int64_t kLinesPerRun = 1 + 3 * int64_t(kIterations) + 1;

void load(const QByteArray& text, Publication& pub)
{
    MemorySource source(text);
    TextSource lines(source);
    loadPublication(lines, pub, defaultPalette256());
}

void runLoop(benchmark::State& state, const QByteArray& text)
{
    Publication pub;
    load(text, pub);
    BareWindow window(pub);
    const QString script =
        QStringLiteral("SV \"i\" \"0\"|WI \"[i]\" \"<\" \"%1\"|MA \"[i]+1\" \"0\" \"i\"|ENDWHILE").arg(kIterations);
    for (auto _ : state) {
        window.engine.run(script);
        if (window.engine.variables().get(QStringLiteral("i")) != QString::number(kIterations))
            state.SkipWithError("the loop did not finish");
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(double(kLinesPerRun) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// A page with a button, a text and a check box bound to a variable of its own.
void BM_LoopOnePage(benchmark::State& state)
{
    runLoop(state, "Title=One page\r\nNewPage=1\r\n"
                   "ObjectType=3\r\nStyle=0\r\nText=Next page\r\nAction=GO \"NEXT\"\r\n"
                   "ObjectType=8\r\nText=A paragraph of text.\r\n"
                   "ObjectType=3\r\nStyle=2\r\nText=Box\r\nVarName=box\r\n");
}
BENCHMARK(BM_LoopOnePage)->Unit(benchmark::kMillisecond);

void BM_LoopLargestPublication(benchmark::State& state)
{
    runLoop(state, bench::maxPublication());
}
BENCHMARK(BM_LoopLargestPublication)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
