// A script that keeps the player busy without ever waiting for the reader
// is asked about; one that waits now and then, or that the reader starts
// during another's wait, is judged by its own time.
#include "FakeHost.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <thread>
#include <utility>

namespace lumeria {
namespace {

using namespace std::chrono_literals;

const QString kQuestion = QStringLiteral("dialog [Caption] [Ce script ne répond plus. L'arrêter ?] [Oui/Non]");

// The player's waits as the window brackets them: the time waited is the
// reader's, not the script's.
class WaitingHost : public test::FakeHost {
public:
    using FakeHost::FakeHost;
    ScriptEngine* engine = nullptr;
    std::function<void()> duringWait;
    std::function<void()> onDialog;
    QElapsedTimer sinceStart;

    // A question that never comes must fail the test, not hang it.
    void processEvents() override
    {
        FakeHost::processEvents();
        if (sinceStart.isValid() && sinceStart.elapsed() > 5000)
            engine->userStop();
    }

    int messageDialog(const QString& title, const QString& message, const QStringList& buttons) override
    {
        if (onDialog)
            onDialog();
        return FakeHost::messageDialog(title, message, buttons);
    }

    void delay(int ms) override
    {
        const ReaderWait wait(*engine);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        if (duringWait)
            std::exchange(duringWait, {})();
    }
};

struct RunawayFixture {
    Publication pub;
    WaitingHost host{pub};
    ScriptEngine engine{host, host, pub};

    RunawayFixture()
    {
        host.attach(engine);
        host.engine = &engine;
        engine.setEventInterval(0us);
        engine.setRunawayLimit(100ms);
        host.sinceStart.start();
    }
    qsizetype questions() const { return host.calls.count(kQuestion); }
};

const QString kEndless = QStringLiteral(":top|MA \"[N]+1\" \"0\" \"N\"|GE \"top\"");

TEST(Runaway, NoGivesTheScriptAsLongAgainAndYesStopsItAsEscWould)
{
    RunawayFixture f;
    // L_YES and L_NO left empty: the buttons still read Oui and Non.
    f.host.answers = {2, 1};
    QElapsedTimer clock;
    clock.start();
    f.engine.run(kEndless);
    EXPECT_GE(clock.elapsed(), 200);
    EXPECT_EQ(f.questions(), 2);
    EXPECT_EQ(f.host.calls.last(), QStringLiteral("beep"));
    EXPECT_FALSE(f.engine.isRunning());

    // The engine takes the next script as ever.
    f.host.calls.clear();
    f.engine.run(QStringLiteral("SV \"after\" \"x\""));
    EXPECT_EQ(f.engine.variables().get(QStringLiteral("after")), QStringLiteral("x"));
    EXPECT_EQ(f.questions(), 0);
}

TEST(Runaway, NestedRunsShareTheTimeOfTheScriptThatStartedThem)
{
    RunawayFixture f;
    // A page whose entry script never ends, shown by a script with more
    // to do: Yes ends both, and the rest of the outer script never runs.
    f.pub.document.enterPage(f.pub.document.appendPage(QStringLiteral("Start"), {}));
    Page_Rec* spin = f.pub.document.appendPage(QStringLiteral("Spin"), {});
    spin->PageAction = kEndless;
    f.host.answers = {1};
    f.engine.run(QStringLiteral("GO \"Spin\"|SV \"back\" \"x\""));
    EXPECT_EQ(f.questions(), 1);
    EXPECT_TRUE(f.engine.variables().get(QStringLiteral("back")).isEmpty());

    // Two pages that go to each other for ever, each entry script ending
    // the run that showed it, are one script too.
    Page_Rec* ping = f.pub.document.appendPage(QStringLiteral("Ping"), {});
    Page_Rec* pong = f.pub.document.appendPage(QStringLiteral("Pong"), {});
    ping->PageAction = QStringLiteral("GO \"Pong\"");
    pong->PageAction = QStringLiteral("GO \"Ping\"");
    f.host.calls.clear();
    f.host.answers = {1};
    f.engine.run(QStringLiteral("GO \"Ping\""));
    EXPECT_EQ(f.questions(), 1);
}

TEST(Runaway, WaitingForTheReaderRestartsTheClock)
{
    RunawayFixture f;
    // Each pass runs well under the limit and then waits longer than it:
    // the script runs 1.5 s in all and is never asked.
    f.engine.run(QStringLiteral(":again|DE \"150\"|MA \"[P]+1\" \"0\" \"P\"|IF \"[P]\" \"<\" \"10\"|GE "
                                "\"again\"|ENDIF"));
    EXPECT_EQ(f.engine.variables().get(QStringLiteral("P")), QStringLiteral("10"));
    EXPECT_EQ(f.questions(), 0);

    // A script the reader starts during another's long wait has its own
    // time: asked only once it has run the limit itself.
    QElapsedTimer nested;
    f.host.answers = {1};
    f.host.duringWait = [&] {
        nested.start();
        f.engine.run(kEndless);
    };
    qint64 askedAfter = -1;
    f.host.onDialog = [&] {
        if (askedAfter < 0)
            askedAfter = nested.elapsed();
    };
    f.engine.run(QStringLiteral("DE \"300\"|SV \"outer\" \"x\""));
    EXPECT_GE(askedAfter, 100);
    EXPECT_EQ(f.questions(), 1);
}

TEST(Runaway, ALimitOfZeroNeverAsks)
{
    RunawayFixture f;
    f.engine.setRunawayLimit(0ms);
    f.engine.run(QStringLiteral(":top|MA \"[N]+1\" \"0\" \"N\"|IF \"[N]\" \"<\" \"30000\"|GE \"top\"|ENDIF"));
    EXPECT_EQ(f.engine.variables().get(QStringLiteral("N")), QStringLiteral("30000"));
    EXPECT_EQ(f.questions(), 0);
}

} // namespace
} // namespace lumeria
