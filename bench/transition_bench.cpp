// Every page transition run as the player runs it, on the 640x480 page of
// 100 mixed objects, beside the pauses it asks for: what the effect costs
// beyond its pauses is what its drawing adds to the time the reader waits.
// Run through bench/run; never a test. Prints one key=value line per effect
// and speed:
//
//   transition effect=N name=Slide_Left speed=S runs=R median_ms=... pauses_ms=... ratio=... drawing_ms=...
//       presents=...
//
// median_ms is the whole transition with the real pause (the player sleeps),
// the new page's drawing included; pauses_ms the sum of the pauses it asks
// for; drawing_ms the same transition with pauses that return at once.
//
//   transition_bench [--speed N]... [--runs N]
#include "MixedPage.h"

#include "document/Effects.h"
#include "render/PageRenderer.h"
#include "render/PageView.h"
#include "render/Transitions.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace lumeria;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

std::string nameOf(int effect)
{
    std::string name(kEffectNames[size_t(effect)]);
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

// The window's side of a transition: each step is put on a screen image at
// once, as the window repaints the changed part of the page from its
// backbuffer, and the pause sleeps, as the window's does.
class Stage {
public:
    Stage() : m_renderer(m_page.pub.document, m_page.context, QSize(bench::kPageWidth, bench::kPageHeight))
    {
        PageView::Callbacks callbacks;
        callbacks.present = [this](const gdi::Rect& area, Present when) {
            if (when != Present::Now)
                return;
            QPainter painter(&m_screen);
            painter.drawImage(QPoint(area.left, area.top), m_view->image(), gdi::toQRect(area));
            ++m_presents;
        };
        callbacks.focus = [] { return PageView::Focus{}; };
        callbacks.pause = [this](int ms) {
            m_asked += ms;
            if (m_sleep)
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        };
        m_view = std::make_unique<PageView>(m_page.pub.document, m_renderer,
                                            QSize(bench::kPageWidth, bench::kPageHeight), std::move(callbacks));
    }

    struct Run {
        double ms = 0;
        int asked = 0;
        int presents = 0;
    };

    Run run(int effect, int speed, bool sleep)
    {
        Page_Rec& page = m_page.page();
        page.PageEffect = uint8_t(effect);
        page.EffectSpeed = uint8_t(speed);
        m_sleep = sleep;
        m_asked = 0;
        m_presents = 0;
        const auto start = Clock::now();
        if (!m_view->transitionTo(page, {}))
            std::fprintf(stderr, "transition_bench: effect %d did not run\n", effect);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        return {ms, m_asked, m_presents};
    }

private:
    bench::MixedPage m_page;
    PageRenderer m_renderer;
    std::unique_ptr<PageView> m_view;
    QImage m_screen{bench::kPageWidth, bench::kPageHeight, QImage::Format_RGB32};
    bool m_sleep = true;
    int m_asked = 0;
    int m_presents = 0;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<int> speeds;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--speed") == 0) {
            speeds.push_back(std::clamp(std::atoi(argv[i + 1]), 0, kMaxEffectSpeed));
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else {
            std::fprintf(stderr, "usage: transition_bench [--speed N]... [--runs N]\n");
            return 2;
        }
    }
    if (speeds.empty())
        speeds.push_back(1);

    Stage stage;
    stage.run(1, 0, false); // fonts, layouts and pages made once before measuring
    for (int speed : speeds) {
        for (int effect = 1; effect < kEffectCount; ++effect) {
            std::vector<double> drawing;
            std::vector<double> whole;
            Stage::Run last;
            for (int i = 0; i < runs; ++i)
                drawing.push_back(stage.run(effect, speed, false).ms);
            for (int i = 0; i < runs; ++i) {
                last = stage.run(effect, speed, true);
                whole.push_back(last.ms);
            }
            const double ms = median(whole);
            std::printf("transition effect=%d name=%s speed=%d runs=%d median_ms=%.1f pauses_ms=%d ratio=%.2f "
                        "drawing_ms=%.1f presents=%d\n",
                        effect, nameOf(effect).c_str(), speed, runs, ms, last.asked,
                        last.asked > 0 ? ms / last.asked : 0.0, median(drawing), last.presents);
            std::fflush(stdout);
        }
    }
    return 0;
}
