#pragma once

// A ScriptHost that records every call as one line of text and answers
// dialogs and menus from a queue, so tests can state exactly what a script
// asked of the player.

#include "script/MediaHost.h"
#include "script/ScriptEngine.h"
#include "script/ScriptHost.h"

#include <QStringList>

#include <deque>
#include <functional>

namespace lumeria::test {

class FakeHost : public ScriptHost, public MediaHost {
public:
    explicit FakeHost(Publication& pub) : m_pub(pub) {}

    void attach(ScriptEngine& engine) { m_engine = &engine; }

    QStringList calls;
    std::deque<int> answers; // for dialogs and menus; 0 when empty
    SystemValues values{
        1024, 768, 16777216, 640, 480, QStringLiteral("Caption"), QStringLiteral("/pub"), QStringLiteral("/tmp")};
    bool popupLoads = true;
    int mciResult = 0;
    std::function<void()> onProcessEvents;
    int processEventsCount = 0;

    void processEvents() override
    {
        ++processEventsCount;
        if (onProcessEvents)
            onProcessEvents();
    }
    void recordActivity() override {}
    void beep() override { calls << QStringLiteral("beep"); }
    void setBusyCursor(bool busy) override { calls << QStringLiteral("busy %1").arg(busy); }

    // The player's page switch: the exit script runs with the target, or the
    // page is shown and its entry script runs.
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
        calls << QStringLiteral("show %1").arg(page->Name);
        m_engine->run(page->PageAction);
    }

    int messageDialog(const QString& title, const QString& message, const QStringList& buttons) override
    {
        calls << QStringLiteral("dialog [%1] [%2] [%3]").arg(title, message, buttons.join(QLatin1Char('/')));
        return answer();
    }
    int popupMenu(int x, int y, const QStringList& items) override
    {
        calls << QStringLiteral("menu %1 %2 [%3]").arg(x).arg(y).arg(items.join(QLatin1Char('/')));
        return answer();
    }
    void showBalloon(const QString& text, int x, int y) override
    {
        calls << QStringLiteral("balloon [%1] %2 %3").arg(text).arg(x).arg(y);
    }
    void showStickyNote(int x, int y, const QString& text, int time) override
    {
        calls << QStringLiteral("note %1 %2 [%3] %4").arg(x).arg(y).arg(text).arg(time);
    }
    bool showPopupImage(int x, int y, const QString& file, int time, int effect, int option) override
    {
        calls << QStringLiteral("popup %1 %2 [%3] %4 %5 %6").arg(x).arg(y).arg(file).arg(time).arg(effect).arg(option);
        return popupLoads;
    }
    void openTextWindow(const QString& title, int x, int y, int w, int h, const QString& file, TextWrap wrap) override
    {
        calls << QStringLiteral("textwindow [%1] %2 %3 %4 %5 [%6] %7")
                     .arg(title)
                     .arg(x)
                     .arg(y)
                     .arg(w)
                     .arg(h)
                     .arg(file)
                     .arg(wrap == TextWrap::Word);
    }
    void openImageWindow(const QString& title, int x, int y, const QString& file) override
    {
        calls << QStringLiteral("imagewindow [%1] %2 %3 [%4]").arg(title).arg(x).arg(y).arg(file);
    }
    void closeWindow(CloseTarget target, const QString& title) override
    {
        calls << QStringLiteral("close %1 [%2]").arg(int(target)).arg(title);
    }
    void find(const QString& text) override { calls << QStringLiteral("find [%1]").arg(text); }
    void playSoundFile(const QString& file, MediaMode mode) override
    {
        calls << QStringLiteral("sound [%1] %2").arg(file).arg(int(mode));
    }
    void playVideoFile(const QString& file, MediaMode mode, const MediaPlacement& p) override
    {
        calls << QStringLiteral("video [%1] %2 %3").arg(file).arg(int(mode)).arg(placement(p));
    }
    void playFlicFile(const QString& file, MediaMode mode, const MediaPlacement& p, int option) override
    {
        calls << QStringLiteral("flic [%1] %2 %3 %4").arg(file).arg(int(mode)).arg(placement(p)).arg(option);
    }
    void playCartoonFile(const QString& file, MediaMode mode, const MediaPlacement& p, int o1, int o2) override
    {
        calls << QStringLiteral("cartoon [%1] %2 %3 %4 %5").arg(file).arg(int(mode)).arg(placement(p)).arg(o1).arg(o2);
    }
    void stopMedia(StopTarget target, const QString& file) override
    {
        calls << QStringLiteral("stop %1 [%2]").arg(int(target)).arg(file);
    }
    int mciCommand(const QString& command) override
    {
        calls << QStringLiteral("mci [%1]").arg(command);
        return mciResult;
    }
    void playTone(int frequency, int ms) override { calls << QStringLiteral("tone %1 %2").arg(frequency).arg(ms); }
    void delay(int ms) override { calls << QStringLiteral("delay %1").arg(ms); }
    void printPage(const QString& what) override { calls << QStringLiteral("printpage [%1]").arg(what); }
    void printFile(const QString& a, const QString& b, const QString& c, TextWrap wrap, PrintMode mode) override
    {
        calls
            << QStringLiteral("printfile [%1] [%2] [%3] %4 %5").arg(a, b, c).arg(wrap == TextWrap::Word).arg(int(mode));
    }
    void printImageFile(const QString& file, int option) override
    {
        calls << QStringLiteral("printimage [%1] %2").arg(file).arg(option);
    }
    void closeMainWindow() override { calls << QStringLiteral("quit"); }
    SystemValues systemValues() const override { return values; }

private:
    int answer()
    {
        if (answers.empty())
            return 0;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    static QString placement(const MediaPlacement& p)
    {
        return QStringLiteral("%1,%2,%3,%4").arg(p.left).arg(p.top).arg(p.width).arg(p.height);
    }

    Publication& m_pub;
    ScriptEngine* m_engine = nullptr;
};

// A publication with pages, an engine and a fake host wired together.
struct ScriptFixture {
    Publication pub;
    FakeHost host{pub};
    ScriptEngine engine{host, host, pub};

    ScriptFixture()
    {
        host.attach(engine);
        pub.strings[LanguageElement::L_ERRORTITLE] = QStringLiteral("Erreur");
        pub.strings[LanguageElement::L_OK] = QStringLiteral("OK");
        pub.strings[LanguageElement::L_YES] = QStringLiteral("Oui");
        pub.strings[LanguageElement::L_NO] = QStringLiteral("Non");
        pub.strings[LanguageElement::L_INTERNETERROR] = QStringLiteral("Pas de navigateur");
        engine.setEventInterval(std::chrono::microseconds(0));
    }

    Page_Rec* addPage(const QString& name, const QString& action = {}, const QString& exit = {})
    {
        Page_Rec* p = pub.document.appendPage(name, {});
        p->PageAction = action;
        p->ExitAction = exit;
        return p;
    }

    QString var(const QString& name) const { return engine.variables().get(name); }
    QStringList run(const QString& script)
    {
        host.calls.clear();
        engine.run(script);
        return host.calls;
    }
};

} // namespace lumeria::test
