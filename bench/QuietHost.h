#pragma once

// The script host the benchmarks run the engine against.
#include "script/MediaHost.h"
#include "script/ScriptHost.h"

#include <QCoreApplication>

namespace lumeria::bench {

// A host whose only real work is the one the interpreter does between lines:
// letting Qt's pending events run.
class QuietHost : public ScriptHost, public MediaHost {
public:
    void processEvents() override { QCoreApplication::processEvents(); }
    void recordActivity() override {}
    void beep() override {}
    void setBusyCursor(bool) override {}
    void goToPage(Page_Rec*) override {}
    void showPage(Page_Rec*) override {}
    int messageDialog(const QString&, const QString&, const QStringList&) override { return 1; }
    int popupMenu(int, int, const QStringList&) override { return 0; }
    void showBalloon(const QString&, int, int) override {}
    void showStickyNote(int, int, const QString&, int) override {}
    bool showPopupImage(int, int, const QString&, int, int, int) override { return true; }
    void openTextWindow(const QString&, int, int, int, int, const QString&, TextWrap) override {}
    void openImageWindow(const QString&, int, int, const QString&) override {}
    void closeWindow(CloseTarget, const QString&) override {}
    void find(const QString&) override {}
    void playSoundFile(const QString&, MediaMode) override {}
    void playVideoFile(const QString&, MediaMode, const MediaPlacement&) override {}
    void playFlicFile(const QString&, MediaMode, const MediaPlacement&, int) override {}
    void playCartoonFile(const QString&, MediaMode, const MediaPlacement&, int, int) override {}
    void stopMedia(StopTarget, const QString&) override {}
    int mciCommand(const QString&) override { return 0; }
    void playTone(int, int) override {}
    void delay(int) override {}
    void printPage(const QString&) override {}
    void printFile(const QString&, const QString&, const QString&, TextWrap, PrintMode) override {}
    void printImageFile(const QString&, int) override {}
    void closeMainWindow() override {}
    SystemValues systemValues() const override { return {}; }
};

} // namespace lumeria::bench
