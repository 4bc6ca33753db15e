#pragma once

#include <QKeyCombination>
#include <QString>

#include <cstdint>
#include <optional>

namespace lumeria::vk {

// Windows virtual-key codes. Publications store shortcuts in these codes,
// so every Qt key the player sees is translated onto them first.
inline constexpr int kBack = 8;
inline constexpr int kTab = 9;
inline constexpr int kClear = 12;
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kMenu = 18; // Alt
inline constexpr int kPause = 19;
inline constexpr int kCapital = 20;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kPrior = 33; // Page Up
inline constexpr int kNext = 34;  // Page Down
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kSelect = 41;
inline constexpr int kPrint = 42;
inline constexpr int kExecute = 43;
inline constexpr int kSnapshot = 44;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
inline constexpr int kHelp = 47;
inline constexpr int k0 = 48; // '0'..'9' are 48..57
inline constexpr int kA = 65; // 'A'..'Z' are 65..90
inline constexpr int kLeftWin = 91;
inline constexpr int kRightWin = 92;
inline constexpr int kApps = 93;
inline constexpr int kSleep = 95;
inline constexpr int kNumpad0 = 96; // 96..105
inline constexpr int kMultiply = 106;
inline constexpr int kAdd = 107;
inline constexpr int kSeparator = 108;
inline constexpr int kSubtract = 109;
inline constexpr int kDecimal = 110;
inline constexpr int kDivide = 111;
inline constexpr int kF1 = 112; // F1..F24 are 112..135
inline constexpr int kNumLock = 144;
inline constexpr int kScroll = 145;
inline constexpr int kOem1 = 186;      // ;:
inline constexpr int kOemPlus = 187;   // =+
inline constexpr int kOemComma = 188;  // ,<
inline constexpr int kOemMinus = 189;  // -_
inline constexpr int kOemPeriod = 190; // .>
inline constexpr int kOem2 = 191;      // /?
inline constexpr int kOem3 = 192;      // `~
inline constexpr int kOem4 = 219;      // [{
inline constexpr int kOem5 = 220;      // \|
inline constexpr int kOem6 = 221;      // ]}
inline constexpr int kOem7 = 222;      // '"
inline constexpr int kOem102 = 226;    // <> of ISO keyboards

// The modifier bits of a button's Key value; the low 13 bits hold the
// virtual key.
inline constexpr uint16_t kShiftBit = 0x2000;
inline constexpr uint16_t kCtrlBit = 0x4000;
inline constexpr uint16_t kAltBit = 0x8000;
inline constexpr uint16_t kKeyMask = 0x1FFF;

// The virtual key of a Qt key, 0 for keys that have none. The keypad flag
// in the modifiers picks the numeric-pad codes for digits and operators;
// the characters a US layout types with Shift map back to the key that
// carries them (Qt reports '!' where Windows reports '1' with Shift).
int fromQtKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// A button's Key value for a key press: the virtual key plus the Shift,
// Ctrl and Alt bits. 0 when the key has no virtual key.
uint16_t keyValue(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift, Ctrl and Alt as Key bits.
uint16_t modifierBits(Qt::KeyboardModifiers modifiers);

// A key named as automation scripts and people write it ("Esc", "Escape",
// "PgUp", "PageUp", "Enter", "F5", "A", "Num5", "VK_LEFT" …), case ignored.
// Keypad names carry Qt::KeypadModifier. Nothing for an unknown name.
std::optional<QKeyCombination> keyFromName(const QString& name);
std::optional<Qt::Key> qtKeyFromName(const QString& name);

} // namespace lumeria::vk
