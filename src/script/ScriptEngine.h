#pragma once

#include "document/Publication.h"
#include "script/MediaHost.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"
#include "script/Substitution.h"
#include "script/Variables.h"

#include <QHash>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>

namespace lumeria {

class FileCommands;

// How far the run trusts the publication with the reader's system: asked
// the first time it starts a program or writes outside its own folders,
// trusted as the original was, or refused outright.
enum class Trust : uint8_t { Ask, All, Safe };

// The font SetFont chooses for printed text files and text windows.
struct ScriptFont {
    QString name = QStringLiteral("Arial");
    int size = 9;
    uint8_t style = 0;
};

// Runs action scripts. One engine serves the whole run: it holds the
// variables and the state shared by nested runs (the nesting counter, the
// abort flag, the deferred page script), and reaches the player only through
// its ScriptHost and, for sound and pictures that move, its MediaHost.
class ScriptEngine final : private BuiltinValues {
public:
    ScriptEngine(ScriptHost& host, MediaHost& media, Publication& publication);
    ~ScriptEngine() override;
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Runs a script to its end. targetPage is set only for a page's exit
    // script: the page shown once the script ends without an error.
    void run(const QString& script, Page_Rec* targetPage = nullptr);

    // The reader pressed Esc or Pause: every active run ends at its next step.
    // Returns false when no script was running (the key is not consumed).
    bool userStop();
    // Clears the interpreter state, as when the window opens or closes.
    void reset();

    bool isRunning() const { return m_nesting > 0; }
    int nesting() const { return m_nesting; }
    bool aborted() const { return m_abort; }

    // Shows the error dialog and stops every active run.
    void reportError(const QString& message);

    Variables& variables() { return m_variables; }
    const Variables& variables() const { return m_variables; }
    QString substitute(const QString& text, SubstitutionMode mode = SubstitutionMode::Text) const;
    QString systemInfo(const QString& name) const;

    const ScriptFont& scriptFont() const { return m_font; }
    void resetScriptFont() { m_font = ScriptFont{}; }

    // Pending events are let run at most this often between lines; a tight
    // loop would otherwise spend most of its time asking for events.
    void setEventInterval(std::chrono::microseconds interval) { m_eventInterval = interval; }

    // A run that has gone this long without waiting for the reader is
    // asked about: the reader may stop it, as with Esc, or give it as long
    // again. Zero never asks.
    void setRunawayLimit(std::chrono::milliseconds limit) { m_runawayLimit = limit; }
    std::chrono::milliseconds runawayLimit() const { return m_runawayLimit; }
    // The host brackets every wait for the reader or for time (a box, a
    // menu, a delay, media played to its end, a pop-up held open): the time
    // spent there is not the script's. ReaderWait does both ends.
    void readerWaitBegins();
    void readerWaitEnds();

    // Safe refuses programs, web links and file writes outside the
    // publication's and the player's own folders; Ask puts the question.
    void setTrust(Trust trust) { m_trust = trust; }
    Trust trust() const { return m_trust; }
    void setSafeMode(bool safe) { m_trust = safe ? Trust::Safe : Trust::All; }
    bool safeMode() const { return m_trust == Trust::Safe; }

    ScriptHost& host() { return m_host; }
    MediaHost& media() { return m_media; }
    Publication& publication() { return m_pub; }

private:
    enum class Mode : uint8_t { Executing, SkipIf, SkipElse, SkipWhile };

    struct Frame {
        const ScriptText* text = nullptr;
        int line = 0;
        int skip = 0;
        int ifDepth = 0;
        int whileDepth = 0;
        Mode mode = Mode::Executing;
        Page_Rec* target = nullptr;
    };

    struct Deferred {
        QString script;
        Page_Rec* target = nullptr;
    };

    // BuiltinValues
    QString pageTitle() const override;
    QString pageNumber() const override;

    void letEventsRun();
    void askAboutRunaway();
    std::shared_ptr<const ScriptText> parse(const QString& script);
    void keyword(Frame& f, const ScriptLine& line);
    void endWhile(Frame& f);
    bool takeArguments(const ScriptLine& line, Command command, ScriptArguments& args);
    const QString& argument(const ScriptLine& line, int i, SubstitutionMode mode, QString& substituted) const;
    QStringView argumentView(const ScriptLine& line, int i, QString& substituted) const;
    void execute(Frame& f, const ScriptLine& line);
    void executeCommand(Frame& f, const ScriptLine& line);
    void executeInPlace(Frame& f, const ScriptLine& line);
    void math(const ScriptLine& line);
    void executeDialogOrWindow(Command c, const ScriptArguments& a);
    void executeMediaOrPrint(Command c, const ScriptArguments& a);
    void executeString(Command c, const ScriptArguments& a);
    void condition(Frame& f, const ScriptLine& line);
    void gotoLine(Frame& f, const QString& target);
    void menu(Frame& f, Command c, const ScriptArguments& a);
    void pageCommand(Frame& f, const ScriptLine& line, Page_Rec* page);
    Page_Rec* pageTarget(Command c, const ScriptArguments& a);
    QString language(LanguageElement e) const { return m_pub.strings[e]; }
    QString caption(LanguageElement e) const { return m_pub.strings.caption(e); }

    ScriptHost& m_host;
    MediaHost& m_media;
    Publication& m_pub;
    Variables m_variables;
    std::unique_ptr<FileCommands> m_files;
    ScriptFont m_font;
    Trust m_trust = Trust::All;

    int m_nesting = 0;
    int m_depth = 0; // runs on the stack; a stop does not clear it
    bool m_abort = false;
    bool m_pageJumpEndsScript = false;
    // Set by a user stop until the stopped runs have left the stack.
    bool m_stopped = false;
    std::optional<Deferred> m_deferred;

    std::chrono::microseconds m_eventInterval{1000};
    std::chrono::steady_clock::time_point m_lastEvents{};
    std::chrono::milliseconds m_runawayLimit{0};
    // Since when the innermost script has run without waiting.
    std::chrono::steady_clock::time_point m_runningSince{};
    int m_readerWaits = 0;
    bool m_askingAboutRunaway = false;
    int m_linesSinceClock = 0;
    std::mt19937 m_random;
    QHash<QString, std::shared_ptr<const ScriptText>> m_parsed;
};

// Marks a wait for the reader for as long as it lives.
class ReaderWait {
public:
    explicit ReaderWait(ScriptEngine& engine) : m_engine(engine) { m_engine.readerWaitBegins(); }
    ~ReaderWait() { m_engine.readerWaitEnds(); }
    ReaderWait(const ReaderWait&) = delete;
    ReaderWait& operator=(const ReaderWait&) = delete;

private:
    ScriptEngine& m_engine;
};

} // namespace lumeria
