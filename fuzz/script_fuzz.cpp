// Runs arbitrary text as action scripts. A form feed splits the input: the
// first part runs as a button's script, the next ones become the entry
// scripts of pages P1, P2, ... so that page commands nest and defer runs as
// they do in the player. The host answers every dialog and menu, plays
// nothing, and stops a run after a fixed number of lines so that a loop
// without end cannot hang the fuzzer. Files live in a temporary folder that
// is emptied after each input; safe mode keeps writes inside it and refuses
// programs and links.
#include "FuzzSupport.h"
#include "document/Publication.h"
#include "script/MediaHost.h"
#include "script/ScriptEngine.h"
#include "script/ScriptHost.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>
#include <cstdint>
#include <memory>

namespace {

using namespace lumeria;

// Lines a run may take; enough for loops to go round many times.
constexpr int kMaxLines = 2000;
// A script that doubles a value on every line would otherwise need memory
// that no input size accounts for.
constexpr qsizetype kMaxValue = 4096;
constexpr int kMaxPages = 4;

class QuietHost final : public ScriptHost, public MediaHost {
public:
    QuietHost(Publication& pub, SystemValues values) : m_pub(pub), m_values(std::move(values)) {}

    void attach(ScriptEngine& engine) { m_engine = &engine; }
    void startInput() { m_lines = m_answers = 0; }
    void stop() { m_engine->userStop(); }

    void processEvents() override
    {
        if (++m_lines >= kMaxLines)
            stop();
    }
    void recordActivity() override {}
    void beep() override {}
    void setBusyCursor(bool) override {}
    // As the player switches pages: the exit script runs with the target,
    // or the target becomes current and its entry script runs.
    void goToPage(Page_Rec* page) override
    {
        Page_Rec* current = m_pub.document.currentPage();
        if (!page || page == current)
            return;
        if (current && !current->ExitAction.isEmpty()) {
            m_engine->run(current->ExitAction, page);
            return;
        }
        showPage(page);
    }
    void showPage(Page_Rec* page) override
    {
        if (!page)
            return;
        m_pub.document.enterPage(page);
        if (!page->PageAction.isEmpty())
            m_engine->run(page->PageAction);
    }
    // Buttons and menu items are chosen in turn, so both branches of a
    // question are taken over a run.
    int messageDialog(const QString&, const QString&, const QStringList& buttons) override
    {
        return buttons.isEmpty() ? 1 : 1 + m_answers++ % int(buttons.size());
    }
    int popupMenu(int, int, const QStringList& items) override { return m_answers++ % (int(items.size()) + 1); }
    void showBalloon(const QString&, int, int) override {}
    void showStickyNote(int, int, const QString&, int) override {}
    bool showPopupImage(int, int, const QString&, int, int, int) override { return m_answers++ % 2 == 0; }
    void openTextWindow(const QString&, int, int, int, int, const QString&, TextWrap) override {}
    void openImageWindow(const QString&, int, int, const QString&) override {}
    void closeWindow(CloseTarget, const QString&) override {}
    void find(const QString&) override {}
    void playSoundFile(const QString&, MediaMode) override {}
    void playVideoFile(const QString&, MediaMode, const MediaPlacement&) override {}
    void playFlicFile(const QString&, MediaMode, const MediaPlacement&, int) override {}
    void playCartoonFile(const QString&, MediaMode, const MediaPlacement&, int, int) override {}
    void stopMedia(StopTarget, const QString&) override {}
    int mciCommand(const QString& command) override { return command.size() % 3 == 0 ? 0 : 263; }
    void playTone(int, int) override {}
    void delay(int) override {}
    void printPage(const QString&) override {}
    void printFile(const QString&, const QString&, const QString&, TextWrap, PrintMode) override {}
    void printImageFile(const QString&, int) override {}
    void closeMainWindow() override {}
    SystemValues systemValues() const override { return m_values; }

private:
    Publication& m_pub;
    SystemValues m_values;
    ScriptEngine* m_engine = nullptr;
    int m_lines = 0;
    int m_answers = 0;
};

struct Harness {
    QTemporaryDir root{fuzz::scratchTemplate("fuzz_script")};
    QString files;
    Publication pub;
    std::unique_ptr<QuietHost> host;
    std::unique_ptr<ScriptEngine> engine;
    std::array<Page_Rec*, kMaxPages> pages{};

    Harness()
    {
        files = root.filePath(QStringLiteral("pub"));
        QDir().mkpath(files);
        QDir().mkpath(root.filePath(QStringLiteral("tmp")));
        host = std::make_unique<QuietHost>(pub, SystemValues{640, 480, 256, 640, 480, QStringLiteral("Fuzz"), files,
                                                             root.filePath(QStringLiteral("tmp"))});
        engine = std::make_unique<ScriptEngine>(*host, *host, pub);
        host->attach(*engine);
        engine->setEventInterval(std::chrono::microseconds(0));
        engine->setSafeMode(true);
        engine->variables().addListener([this](const QString& name) {
            if (!name.isEmpty() && engine->variables().get(name).size() > kMaxValue)
                host->stop();
        });
        pub.strings[LanguageElement::L_ERRORTITLE] = QStringLiteral("Error");
        pub.strings[LanguageElement::L_OK] = QStringLiteral("OK");
        pub.strings[LanguageElement::L_YES] = QStringLiteral("Yes");
        pub.strings[LanguageElement::L_NO] = QStringLiteral("No");
        for (int i = 0; i < kMaxPages; ++i)
            pages[size_t(i)] = pub.document.appendPage(QStringLiteral("P%1").arg(i + 1), {});
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Everything the file commands may reach besides the publication's
    // folder (the per-user Windows stand-ins, the cache, TEMP) is moved into
    // one temporary folder before the first path is looked up.
    static QTemporaryDir home(lumeria::fuzz::scratchTemplate("fuzz_script-home"));
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "TEMP", "TMPDIR"})
        qputenv(name, QFile::encodeName(home.path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Harness h;
    const QStringList parts =
        QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size)).split(QLatin1Char('\f'));
    for (int i = 0; i < kMaxPages; ++i) {
        Page_Rec* page = h.pages[size_t(i)];
        page->CameFrom = nullptr;
        page->PageAction = i + 1 < parts.size() ? parts[i + 1] : QString();
        page->ExitAction = i == 0 && kMaxPages + 1 < parts.size() ? parts[kMaxPages + 1] : QString();
    }
    h.pub.document.enterPage(h.pages[0]);
    h.engine->reset();
    h.engine->variables().clear();
    h.engine->resetScriptFont();
    h.host->startInput();
    h.engine->run(parts[0]);
    if (h.engine->isRunning())
        __builtin_trap();

    if (!QDir(h.files).isEmpty()) {
        QDir(h.files).removeRecursively();
        QDir().mkpath(h.files);
    }
    return 0;
}
