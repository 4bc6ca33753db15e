// Reading aloud as the automation log records it: what a page, the button
// Tab reaches, a box, a note and a balloon would say, with and without a
// speech engine, under automation and under real keys.
#include "e2e/PlayerRun.h"
#include "e2e/X11Desktop.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>

namespace lumeria {
namespace {

// Page One: a text with quotes and a line break at the top, an article, a
// row of two texts a few pixels apart in height, a text hidden under a grey
// rectangle, the buttons Balloon, Box, Note and Next (tab stops), Done on
// F2 and a field holding "typed"; the master page's footer at the bottom.
// Page Two: a text and Keyed, whose accelerator is Ctrl+Shift+S.
QString speakPublication()
{
    return QStringLiteral(LUMERIA_E2E_DATA "/speak.lum");
}

const QStringList kPageOne{
    QStringLiteral(R"(speak "Say \"hi\"\nand listen")"),
    QStringLiteral(R"(speak "An article says what it links to.\nA new paragraph.")"),
    QStringLiteral(R"(speak "Second row, left")"),
    QStringLiteral(R"(speak "Second row, right")"),
    QStringLiteral(R"(speak "Balloon")"),
    QStringLiteral(R"(speak "Box")"),
    QStringLiteral(R"(speak "Note")"),
    QStringLiteral(R"(speak "Next")"),
    QStringLiteral(R"(speak "Done")"),
    QStringLiteral(R"(speak "typed")"),
    QStringLiteral(R"(speak "Master footer")"),
};

const QString kNoEngine = QStringLiteral("no speech engine is available");

QProcessEnvironment withoutEngine()
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("LUMERIA_SPEECH_ENGINE"), QStringLiteral("none"));
    return env;
}

using Speaking = test::AutomatedPlayer;

TEST_F(Speaking, APageTabBoxNoteAndBalloonAreLoggedAsTheyWouldBeSaid)
{
    const test::PlayerRun r = automate({speakPublication(), QStringLiteral("--speak")},
                                       QStringLiteral("answer 2\n"
                                                      "key Tab\n"
                                                      "key Enter\n"
                                                      "key Tab\n"
                                                      "key Enter\n"
                                                      "wait 200\n"
                                                      "key Space\n"
                                                      "click 55 142\n"
                                                      "wait 200\n"
                                                      "key Space\n"
                                                      "key PageDown\n"
                                                      "expect-page Two\n"
                                                      // The publication's key, not the player's.
                                                      "key S ctrl shift\n"
                                                      "expect-var KEYED x\n"
                                                      "expect-var ANSWER 2\n"),
                                       {}, withoutEngine());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // Said once, and the player went on.
    EXPECT_EQ(QString::fromUtf8(r.err).count(kNoEngine), 1) << r.err.toStdString();
    QStringList expected = kPageOne;
    expected << QStringLiteral(R"(speak "Box")") << QStringLiteral(R"(speak "Quiz\nPick\none\nYes, No")")
             << QStringLiteral(R"(dialog "Quiz" "Pick\none" "Yes|No" -> 2)") << QStringLiteral(R"(speak "Note")")
             << QStringLiteral(R"(note 10 10 0 "A note")") << QStringLiteral(R"(speak "A note")")
             << QStringLiteral(R"(balloon -1 -1 "Tip\nhere")") << QStringLiteral(R"(speak "Tip\nhere")")
             << QStringLiteral(R"(speak "Page two")") << QStringLiteral(R"(speak "Keyed")")
             << QStringLiteral(R"(speak "Done")");
    EXPECT_EQ(logLines(), expected) << logLines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(Speaking, TheKeyTurnsReadingOnWithThePageAndOffAgain)
{
    const test::PlayerRun r = automate({speakPublication()},
                                       QStringLiteral("key Tab\n"
                                                      "key S ctrl shift\n"
                                                      "key Tab\n"
                                                      "key S ctrl shift\n"
                                                      "key Tab\n"
                                                      "key S ctrl shift\n"),
                                       {}, withoutEngine());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.err).count(kNoEngine), 1) << r.err.toStdString();
    QStringList expected = kPageOne;
    expected << QStringLiteral(R"(speak "Note")") << QStringLiteral("speak-stop");
    expected += kPageOne;
    EXPECT_EQ(logLines(), expected) << logLines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(Speaking, OverABalloonEscSilencesItAndStillClosesItAndTheKeyKeepsIt)
{
    const test::PlayerRun r = automate({speakPublication(), QStringLiteral("--speak")},
                                       QStringLiteral("click 55 142\n"
                                                      "wait 200\n"
                                                      "key Escape\n"
                                                      "key Tab\n"
                                                      "click 55 142\n"
                                                      "wait 200\n"
                                                      "key S ctrl shift\n"
                                                      "key S ctrl shift\n"
                                                      "key Tab\n"
                                                      "key Tab\n"),
                                       {}, withoutEngine());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList expected = kPageOne;
    // The click gave Balloon the focus; Tab after the balloon went reaches Box.
    expected << QStringLiteral(R"(balloon -1 -1 "Tip\nhere")") << QStringLiteral(R"(speak "Tip\nhere")")
             << QStringLiteral("speak-stop") << QStringLiteral(R"(speak "Box")");
    // The key turns reading off and on again over the balloon, which stays:
    // the first Tab after is the balloon's, the second the page's.
    expected << QStringLiteral(R"(balloon -1 -1 "Tip\nhere")") << QStringLiteral(R"(speak "Tip\nhere")")
             << QStringLiteral("speak-stop");
    expected += kPageOne;
    expected << QStringLiteral(R"(speak "Box")");
    EXPECT_EQ(logLines(), expected) << logLines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(Speaking, WithoutTheOptionNothingIsReadOrSaid)
{
    const test::PlayerRun r = automate({speakPublication()},
                                       QStringLiteral("key Tab\n"
                                                      "click 55 142\n"
                                                      "wait 200\n"
                                                      "key Space\n"),
                                       {}, withoutEngine());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(kNoEngine.toUtf8()));
    EXPECT_EQ(logLines(), QStringList{QStringLiteral(R"(balloon -1 -1 "Tip\nhere")")});
}

// A speech engine of the test's own: speech-dispatcher spawned into the
// test's runtime folder with espeak-ng, its sound going to libao's null
// driver, so it speaks without a sound card.
class RealSpeech : public test::PlayerOnDesktop {
protected:
    void SetUp() override
    {
        test::PlayerOnDesktop::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_engine = !QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher")).isEmpty();
        if (!m_engine)
            return;
        const QString home = file(QStringLiteral("home"));
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.config/speech-dispatcher")));
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/run")));
        QFile(home + QStringLiteral("/run")).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(home + QStringLiteral("/.libao"), "default_driver=null\n");
        write(home + QStringLiteral("/.config/speech-dispatcher/speechd.conf"),
              "AudioOutputMethod \"libao\"\nDefaultModule espeak-ng\nLogLevel 5\n"
              "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n");
        m_environment.insert(QStringLiteral("HOME"), home);
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    }

    void TearDown() override
    {
        // The dispatcher the player spawned would leave by itself a few
        // seconds after its last client; its folder goes now.
        QFile pid(file(QStringLiteral("home/run/speech-dispatcher/pid/speech-dispatcher.pid")));
        if (pid.open(QIODevice::ReadOnly)) {
            const int number = pid.readAll().trimmed().toInt();
            if (number > 1)
                ::kill(number, SIGTERM);
        }
        test::PlayerOnDesktop::TearDown();
    }

    static void write(const QString& path, const QByteArray& text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QStringList log() const
    {
        return QString::fromUtf8(readFile(QStringLiteral("run.log"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Waits until the log has grown to n lines.
    bool logReaches(qsizetype n)
    {
        return test::pollUntil([&] { return log().size() >= n; }, 10000);
    }

    bool m_engine = false;
    QProcessEnvironment m_environment;
};

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMERIA_SANITIZED_TEST 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define LUMERIA_SANITIZED_TEST 1
#endif
#ifdef LUMERIA_SANITIZED_TEST
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST_F(RealSpeech, KeysFromTheDesktopTurnReadingOnAndOffAndEscStillCloses)
{
    // At factor 1, page points are the window's. A dispatcher started for
    // the first time lists every voice it has before it queues anything,
    // which a loaded machine and a sanitized player take well over the ten
    // seconds a wait-var waits: the automation gives the test 30 in all.
    play(speakPublication(), QStringLiteral("%1wait-var DONE x\n").arg(m_engine ? "wait 20000\n" : ""),
         {QStringLiteral("--automate-log"), file(QStringLiteral("run.log")), QStringLiteral("--scale"),
          QStringLiteral("1")},
         m_environment);
    // Nothing is read before the reader asks.
    key(QStringLiteral("Tab"));
    key(QStringLiteral("ctrl+shift+s"));
    ASSERT_TRUE(logReaches(kPageOne.size())) << log().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(log(), kPageOne);
    const QImage reading = page(QStringLiteral("reading.png"));
    EXPECT_FALSE(reading.isNull());
    // The engine got the words: the dispatcher queues them for espeak-ng.
    // A sanitized player spends over a minute of its voice thread on the
    // engine's thousand voices before it says anything; the window and its
    // log do not wait for it, and that is what the rest checks.
    if (m_engine && !kSanitized) {
        EXPECT_TRUE(test::pollUntil(
            [&] {
                return readFile(QStringLiteral("home/run/speech-dispatcher/log/speech-dispatcher.log"))
                    .contains("Queueing message |Second row, left");
            },
            20000));
    }

    key(QStringLiteral("Tab"));
    ASSERT_TRUE(logReaches(kPageOne.size() + 1));
    EXPECT_EQ(log().last(), QStringLiteral(R"(speak "Note")"));
    key(QStringLiteral("ctrl+shift+s"));
    ASSERT_TRUE(logReaches(kPageOne.size() + 2));
    EXPECT_EQ(log().last(), QStringLiteral("speak-stop"));
    // Off: Tab says nothing.
    key(QStringLiteral("Tab"));
    key(QStringLiteral("ctrl+shift+s"));
    ASSERT_TRUE(logReaches(2 * kPageOne.size() + 2));
    EXPECT_EQ(log().mid(kPageOne.size() + 2), kPageOne);

    // Over a balloon the key is still the player's: Ctrl and Shift pressed
    // first leave the balloon up, and Esc silences it and closes it.
    const qsizetype before = log().size();
    click(55, 142);
    ASSERT_TRUE(logReaches(before + 2));
    key(QStringLiteral("ctrl+shift+s"));
    key(QStringLiteral("ctrl+shift+s"));
    ASSERT_TRUE(logReaches(before + 3 + kPageOne.size()));
    key(QStringLiteral("Escape"));
    key(QStringLiteral("Tab"));
    ASSERT_TRUE(logReaches(before + 5 + kPageOne.size()));
    QStringList balloon{QStringLiteral(R"(balloon -1 -1 "Tip\nhere")"), QStringLiteral(R"(speak "Tip\nhere")"),
                        QStringLiteral("speak-stop")};
    balloon += kPageOne;
    balloon << QStringLiteral("speak-stop") << QStringLiteral(R"(speak "Box")");
    EXPECT_EQ(log().mid(before), balloon);

    // Esc silences the voice and keeps its meaning: this publication lets
    // it close the player.
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(test::pollUntil(
        [&] {
            m_player.waitForFinished(0);
            return m_player.state() == QProcess::NotRunning;
        },
        10000));
    EXPECT_EQ(log().last(), QStringLiteral("speak-stop"));
    const QByteArray err = readFile(QStringLiteral("player.err"));
    // With the engine installed it was found and spoke.
    if (m_engine) {
        EXPECT_FALSE(err.contains(kNoEngine.toUtf8())) << err.toStdString();
    }
}

} // namespace
} // namespace lumeria
