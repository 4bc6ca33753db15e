#include "platform/VirtualKeys.h"

#include <array>
#include <utility>

namespace lumeria::vk {
namespace {

struct KeyPair {
    int qt;
    int vk;
};

// Keys whose code does not follow from a range. Shifted characters of a US
// layout map to the key that types them, because Windows reports the key and
// leaves the character to the layout.
constexpr std::array kKeys{
    KeyPair{Qt::Key_Backspace, kBack},
    KeyPair{Qt::Key_Tab, kTab},
    KeyPair{Qt::Key_Backtab, kTab},
    KeyPair{Qt::Key_Clear, kClear},
    KeyPair{Qt::Key_Return, kReturn},
    KeyPair{Qt::Key_Enter, kReturn},
    KeyPair{Qt::Key_Shift, kShift},
    KeyPair{Qt::Key_Control, kControl},
    KeyPair{Qt::Key_Alt, kMenu},
    KeyPair{Qt::Key_AltGr, kMenu},
    KeyPair{Qt::Key_Pause, kPause},
    KeyPair{Qt::Key_MediaPause, kPause},
    KeyPair{Qt::Key_CapsLock, kCapital},
    KeyPair{Qt::Key_Escape, kEscape},
    KeyPair{Qt::Key_Space, kSpace},
    KeyPair{Qt::Key_PageUp, kPrior},
    KeyPair{Qt::Key_PageDown, kNext},
    KeyPair{Qt::Key_End, kEnd},
    KeyPair{Qt::Key_Home, kHome},
    KeyPair{Qt::Key_Left, kLeft},
    KeyPair{Qt::Key_Up, kUp},
    KeyPair{Qt::Key_Right, kRight},
    KeyPair{Qt::Key_Down, kDown},
    KeyPair{Qt::Key_Select, kSelect},
    KeyPair{Qt::Key_Printer, kPrint},
    KeyPair{Qt::Key_Execute, kExecute},
    KeyPair{Qt::Key_Print, kSnapshot},
    KeyPair{Qt::Key_SysReq, kSnapshot},
    KeyPair{Qt::Key_Insert, kInsert},
    KeyPair{Qt::Key_Delete, kDelete},
    KeyPair{Qt::Key_Help, kHelp},
    KeyPair{Qt::Key_Meta, kLeftWin},
    KeyPair{Qt::Key_Super_L, kLeftWin},
    KeyPair{Qt::Key_Super_R, kRightWin},
    KeyPair{Qt::Key_Menu, kApps},
    KeyPair{Qt::Key_Sleep, kSleep},
    KeyPair{Qt::Key_NumLock, kNumLock},
    KeyPair{Qt::Key_ScrollLock, kScroll},
    KeyPair{Qt::Key_Back, 166},
    KeyPair{Qt::Key_Forward, 167},
    KeyPair{Qt::Key_Refresh, 168},
    KeyPair{Qt::Key_Stop, 169},
    KeyPair{Qt::Key_Search, 170},
    KeyPair{Qt::Key_Favorites, 171},
    KeyPair{Qt::Key_HomePage, 172},
    KeyPair{Qt::Key_VolumeMute, 173},
    KeyPair{Qt::Key_VolumeDown, 174},
    KeyPair{Qt::Key_VolumeUp, 175},
    KeyPair{Qt::Key_MediaNext, 176},
    KeyPair{Qt::Key_MediaPrevious, 177},
    KeyPair{Qt::Key_MediaStop, 178},
    KeyPair{Qt::Key_MediaTogglePlayPause, 179},
    KeyPair{Qt::Key_MediaPlay, 179},
    KeyPair{Qt::Key_LaunchMail, 180},
    KeyPair{Qt::Key_LaunchMedia, 181},
    KeyPair{Qt::Key_Launch0, 182},
    KeyPair{Qt::Key_Launch1, 183},
    // Shifted digits of a US layout.
    KeyPair{Qt::Key_ParenRight, k0 + 0},
    KeyPair{Qt::Key_Exclam, k0 + 1},
    KeyPair{Qt::Key_At, k0 + 2},
    KeyPair{Qt::Key_NumberSign, k0 + 3},
    KeyPair{Qt::Key_Dollar, k0 + 4},
    KeyPair{Qt::Key_Percent, k0 + 5},
    KeyPair{Qt::Key_AsciiCircum, k0 + 6},
    KeyPair{Qt::Key_Ampersand, k0 + 7},
    KeyPair{Qt::Key_Asterisk, k0 + 8},
    KeyPair{Qt::Key_ParenLeft, k0 + 9},
    // The OEM keys of a US layout, both characters of each.
    KeyPair{Qt::Key_Semicolon, kOem1},
    KeyPair{Qt::Key_Colon, kOem1},
    KeyPair{Qt::Key_Equal, kOemPlus},
    KeyPair{Qt::Key_Plus, kOemPlus},
    KeyPair{Qt::Key_Comma, kOemComma},
    KeyPair{Qt::Key_Less, kOemComma},
    KeyPair{Qt::Key_Minus, kOemMinus},
    KeyPair{Qt::Key_Underscore, kOemMinus},
    KeyPair{Qt::Key_Period, kOemPeriod},
    KeyPair{Qt::Key_Greater, kOemPeriod},
    KeyPair{Qt::Key_Slash, kOem2},
    KeyPair{Qt::Key_Question, kOem2},
    KeyPair{Qt::Key_QuoteLeft, kOem3},
    KeyPair{Qt::Key_AsciiTilde, kOem3},
    KeyPair{Qt::Key_BracketLeft, kOem4},
    KeyPair{Qt::Key_BraceLeft, kOem4},
    KeyPair{Qt::Key_Backslash, kOem5},
    KeyPair{Qt::Key_Bar, kOem5},
    KeyPair{Qt::Key_BracketRight, kOem6},
    KeyPair{Qt::Key_BraceRight, kOem6},
    KeyPair{Qt::Key_Apostrophe, kOem7},
    KeyPair{Qt::Key_QuoteDbl, kOem7},
};

// Keypad keys that differ from the main block. Digits are handled by range;
// Enter and the navigation keys (NumLock off) are the same keys on Windows.
constexpr std::array kKeypadKeys{
    KeyPair{Qt::Key_Asterisk, kMultiply}, KeyPair{Qt::Key_Plus, kAdd},      KeyPair{Qt::Key_Minus, kSubtract},
    KeyPair{Qt::Key_Period, kDecimal},    KeyPair{Qt::Key_Comma, kDecimal}, KeyPair{Qt::Key_Slash, kDivide},
};

struct NamedKey {
    const char* name;
    int qt;
    bool keypad;
};

// Names people write for keys that are not a single character or Fn.
constexpr std::array kNames{
    NamedKey{"ESC", Qt::Key_Escape, false},
    NamedKey{"ESCAPE", Qt::Key_Escape, false},
    NamedKey{"PGUP", Qt::Key_PageUp, false},
    NamedKey{"PAGEUP", Qt::Key_PageUp, false},
    NamedKey{"PRIOR", Qt::Key_PageUp, false},
    NamedKey{"PGDN", Qt::Key_PageDown, false},
    NamedKey{"PGDOWN", Qt::Key_PageDown, false},
    NamedKey{"PAGEDOWN", Qt::Key_PageDown, false},
    NamedKey{"NEXT", Qt::Key_PageDown, false},
    NamedKey{"HOME", Qt::Key_Home, false},
    NamedKey{"END", Qt::Key_End, false},
    NamedKey{"LEFT", Qt::Key_Left, false},
    NamedKey{"UP", Qt::Key_Up, false},
    NamedKey{"RIGHT", Qt::Key_Right, false},
    NamedKey{"DOWN", Qt::Key_Down, false},
    NamedKey{"TAB", Qt::Key_Tab, false},
    NamedKey{"ENTER", Qt::Key_Return, false},
    NamedKey{"RETURN", Qt::Key_Return, false},
    NamedKey{"SPACE", Qt::Key_Space, false},
    NamedKey{"BACKSPACE", Qt::Key_Backspace, false},
    NamedKey{"BACK", Qt::Key_Backspace, false},
    NamedKey{"BKSP", Qt::Key_Backspace, false},
    NamedKey{"INSERT", Qt::Key_Insert, false},
    NamedKey{"INS", Qt::Key_Insert, false},
    NamedKey{"DELETE", Qt::Key_Delete, false},
    NamedKey{"DEL", Qt::Key_Delete, false},
    NamedKey{"PAUSE", Qt::Key_Pause, false},
    NamedKey{"BREAK", Qt::Key_Pause, false},
    NamedKey{"SHIFT", Qt::Key_Shift, false},
    NamedKey{"CTRL", Qt::Key_Control, false},
    NamedKey{"CONTROL", Qt::Key_Control, false},
    NamedKey{"ALT", Qt::Key_Alt, false},
    NamedKey{"CAPSLOCK", Qt::Key_CapsLock, false},
    NamedKey{"NUMLOCK", Qt::Key_NumLock, false},
    NamedKey{"SCROLLLOCK", Qt::Key_ScrollLock, false},
    NamedKey{"PRINTSCREEN", Qt::Key_Print, false},
    NamedKey{"SNAPSHOT", Qt::Key_Print, false},
    NamedKey{"MENU", Qt::Key_Menu, false},
    NamedKey{"APPS", Qt::Key_Menu, false},
    NamedKey{"HELP", Qt::Key_Help, false},
    NamedKey{"CLEAR", Qt::Key_Clear, false},
    NamedKey{"MULTIPLY", Qt::Key_Asterisk, true},
    NamedKey{"ADD", Qt::Key_Plus, true},
    NamedKey{"SUBTRACT", Qt::Key_Minus, true},
    NamedKey{"DECIMAL", Qt::Key_Period, true},
    NamedKey{"DIVIDE", Qt::Key_Slash, true},
    NamedKey{"NUMENTER", Qt::Key_Enter, true},
};

int keypadCode(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return kNumpad0 + (qtKey - Qt::Key_0);
    for (const KeyPair& k : kKeypadKeys)
        if (k.qt == qtKey)
            return k.vk;
    return 0;
}

} // namespace

int fromQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int code = keypadCode(qtKey))
            return code;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return k0 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return kA + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return kF1 + (qtKey - Qt::Key_F1);
    for (const KeyPair& k : kKeys)
        if (k.qt == qtKey)
            return k.vk;
    return 0;
}

uint16_t modifierBits(Qt::KeyboardModifiers modifiers)
{
    uint16_t bits = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        bits |= kShiftBit;
    if (modifiers.testFlag(Qt::ControlModifier))
        bits |= kCtrlBit;
    if (modifiers.testFlag(Qt::AltModifier))
        bits |= kAltBit;
    return bits;
}

uint16_t keyValue(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const int code = fromQtKey(qtKey, modifiers);
    if (code == 0)
        return 0;
    return uint16_t(code & kKeyMask) | modifierBits(modifiers);
}

std::optional<QKeyCombination> keyFromName(const QString& name)
{
    QString n = name.trimmed().toUpper();
    if (n.startsWith(QLatin1String("VK_")))
        n = n.mid(3);
    if (n.isEmpty())
        return std::nullopt;
    if (n.size() == 1) {
        const QChar c = n.at(0);
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return QKeyCombination(Qt::Key(c.unicode()));
        // Punctuation names the key that types it, as Qt numbers them.
        if (c.unicode() > 32 && c.unicode() < 127 && fromQtKey(c.unicode()) != 0)
            return QKeyCombination(Qt::Key(c.unicode()));
        return std::nullopt;
    }
    if (n.startsWith(QLatin1Char('F'))) {
        bool ok = false;
        const int number = n.mid(1).toInt(&ok);
        if (ok && number >= 1 && number <= 24)
            return QKeyCombination(Qt::Key(Qt::Key_F1 + number - 1));
    }
    for (const char* prefix : {"NUMPAD", "NUM", "KP"}) {
        const QLatin1String p(prefix);
        if (n.startsWith(p) && n.size() == p.size() + 1) {
            const QChar d = n.at(p.size());
            if (d >= QLatin1Char('0') && d <= QLatin1Char('9'))
                return QKeyCombination(Qt::KeypadModifier, Qt::Key(Qt::Key_0 + (d.unicode() - '0')));
        }
    }
    for (const NamedKey& k : kNames)
        if (n == QLatin1String(k.name))
            return k.keypad ? QKeyCombination(Qt::KeypadModifier, Qt::Key(k.qt)) : QKeyCombination(Qt::Key(k.qt));
    return std::nullopt;
}

std::optional<Qt::Key> qtKeyFromName(const QString& name)
{
    if (const auto combination = keyFromName(name))
        return combination->key();
    return std::nullopt;
}

} // namespace lumeria::vk
