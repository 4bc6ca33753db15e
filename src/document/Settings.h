#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <string_view>

namespace lumeria {

// The border a windowed player gets. SIZEABLE= decides it from the full-screen
// flag as it stands when that line is read, which is why publications write
// FULLSCREEN= first.
enum class WindowBorder : uint8_t { Sizeable, Dialog, None };

// The publication's header keys. Defaults are those before parsing.
struct PublicationSettings {
    QString Title;
    QString Author;
    int32_t ScreenColors = 0;
    int32_t ScreenWidth = 640;
    int32_t ScreenHeight = 480;
    bool AllowEsc = false;
    bool AllowPageUpDn = false;
    bool TabWindows = false;
    bool TabButtons = false;
    bool AutoReturn = false;
    int32_t ReturnTime = 0; // minutes
    QString ReturnAction;
    bool FullScreen = false;
    bool StayOnTop = false;
    bool Sizeable = false;
    WindowBorder Border = WindowBorder::Sizeable;
    QString Password;
    uint8_t ExtractOp = 0;
    QString ExtractDir;
    bool CompressImages = false;
    QString AppCursor;
    QString HotspotCursor;
    QString RuntimeDll;
};

// The interface strings that replace the player's own captions and messages,
// numbered 1 to 30 as the publication's L_ names are.
enum class LanguageElement : uint8_t {
    L_OK = 1,
    L_CANCEL,
    L_YES,
    L_NO,
    L_CLOSE,
    L_ERRORTITLE,
    L_FINDTITLE,
    L_FINDPROMPT,
    L_FINDFIRST,
    L_FINDNEXT,
    L_FINDERROR,
    L_PWORDTITLE,
    L_PWORDMSG,
    L_PWORDPROMPT,
    L_PWORDERROR,
    L_MEDIAERROR,
    L_INTERNETERROR,
    L_PAGEPROMPT,
    L_ABORTFUNCTION,
    L_EXTRACTERROR,
    L_INSTDIRPROMPT,
    L_INSTFOLDERPROMPT,
    L_INSTRUNPROMPT,
    L_INSTDISKPROMPT,
    L_INSTDISKERROR,
    L_INSTGENERROR,
    L_INSTEXITPROMPT,
    L_INSTWINTITLE,
    L_INSTPROGTITLE,
    L_INSTSUBTITLE,
};

inline constexpr int kLanguageElementCount = 30;

// The L_ names in number order (index 0 is L_OK).
extern const std::array<std::string_view, kLanguageElementCount> kLanguageElementNames;

// The 30 interface strings; one the publication does not set stays empty, and
// whoever shows it decides what an empty one means.
class LanguageElementArray {
public:
    const QString& operator[](LanguageElement e) const { return m_texts[index(e)]; }
    QString& operator[](LanguageElement e) { return m_texts[index(e)]; }
    // By number, 1 to 30.
    const QString& at(int number) const { return m_texts[size_t(number - 1)]; }
    QString& at(int number) { return m_texts[size_t(number - 1)]; }
    // A caption the player cannot leave blank (a button, a window title):
    // the publication's string, or the player's own French word when the
    // publication left it empty. Messages have no such word and stay as set.
    QString caption(LanguageElement e) const;

private:
    static size_t index(LanguageElement e) { return size_t(e) - 1; }
    std::array<QString, kLanguageElementCount> m_texts;
};

} // namespace lumeria
