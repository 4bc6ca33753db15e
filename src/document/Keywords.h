#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lumeria {

// The publication keywords, numbered as the runtime's table numbers them; the
// order matters because a line is matched against them in this order.
enum class Keyword : uint8_t {
    None = 0,
    ScreenColors,
    ScreenWidth,
    ScreenHeight,
    NewPage,
    ObjectType,
    X1,
    Y1,
    X2,
    Y2,
    LineColor,
    LineWidth,
    LineStyle,
    LineOrigin,
    FillColor,
    FillPattern,
    FillMode,
    TextColor,
    Pal,
    Font,
    WordWrap,
    Scale,
    FileName,
    WindowFlags,
    XRange,
    YRange,
    Text,
    Action,
    PageColor,
    GroupBegin,
    GroupEnd,
    MasterPage,
    ShowMaster,
    PageStyle,
    PageWallpaper,
    AllowEsc,
    AllowPageUpDn,
    Author,
    VScrollPos,
    HScrollPos,
    Align,
    AllowKeyboard,
    AutoReturn,
    ReturnTime,
    Key,
    TabWindows,
    TabButtons,
    FadeIn,
    Language,
    Style,
    UpImage,
    DownImage,
    FontSize,
    FontStyle,
    PageAction,
    PagePalette,
    VarName,
    MaxLen,
    InitState,
    PageEffect,
    EffectSpeed,
    Title,
    LumeriaVer,
    Password,
    Icon,
    ReturnAction,
    FullScreen,
    StayOnTop,
    AspectRatio,
    OverlayText,
    TransImages,
    Sizeable,
    CompiledName,
    FontsIncluded,
    FontsToCompile,
    ExtractOp,
    ExtractDir,
    FilesIncluded,
    CopyExternal,
    ExternalPath,
    SetupBuildDir,
    SetupMedia,
    SetupInstDir,
    SetupProgGrp,
    SetupTitle,
    SetupColors,
    MaxLineHeight,
    CompressImages,
    ExitAction,
    AppCursor,
    HotspotCursor,
    RuntimeDll,
};

inline constexpr int kKeywordCount = 91;
static_assert(static_cast<int>(Keyword::RuntimeDll) == kKeywordCount);

// The keyword texts in table order (index 0 is keyword 1), as the runtime
// holds them: upper case, ending in '=' except the four that stand alone.
extern const std::array<std::string_view, kKeywordCount> kKeywordTexts;

// What a line is, decided from its key form (the line without spaces,
// upper-cased): a keyword, an interface string (1 to 30), or nothing.
struct LineClass {
    Keyword keyword = Keyword::None;
    int languageElement = 0;

    bool matched() const { return keyword != Keyword::None || languageElement != 0; }
};

// Gives the same answer as trying every keyword in table order and then every
// L_ name, taking the first that begins the key form, but in constant time:
// a keyword ending in '=' can only match the text before the key form's first
// '=', so one table lookup finds it, and only the four stand-alone keywords
// are tested as prefixes.
LineClass classifyKeyForm(std::string_view keyForm);
// The same for a line's key alone: its key form up to and with the first
// '=', or without one the first characters; the line's value cannot change
// what it is.
LineClass classifyKey(std::string_view key);

inline char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Writes the key form of text's first size bytes (without spaces,
// upper-cased, at most limit characters) over its start and returns its
// length: a key form is never longer than its text, so no buffer of its own
// is needed.
inline size_t formKeyInPlace(char* text, size_t size, size_t limit = std::string_view::npos)
{
    size_t n = 0;
    for (size_t i = 0; i < size && n < limit; ++i)
        if (text[i] != ' ')
            text[n++] = upperAscii(text[i]);
    return n;
}

// The integer reading of a value: optional sign, then decimal digits, or
// hexadecimal after '$' or "0X". Values up to 32 bits wrap into a signed
// 32-bit integer (so a colour may be written either way); anything else,
// including an empty value, reads as 0.
int32_t parseInteger(std::string_view text);

} // namespace lumeria
