#pragma once

#include <QString>

#include <cstdint>
#include <variant>

namespace lumeria {

// The ObjectType= codes. Any other code makes an object without a kind
// record that is never drawn.
enum class ObjectKind : uint8_t {
    Article = 2,
    Button = 3,
    Picture = 4,
    Rectangle = 5,
    Ellipse = 6,
    Line = 7,
    Text = 8,
};

// Button Style codes.
enum class ButtonStyle : uint8_t { Push = 0, EditField = 1, CheckBox = 2, RadioButton = 3 };

// FontStyle bits of articles, buttons and texts.
namespace fontstyle {
inline constexpr uint8_t kBold = 1;
inline constexpr uint8_t kItalic = 2;
inline constexpr uint8_t kUnderline = 4;
inline constexpr uint8_t kStrikeOut = 8;
} // namespace fontstyle

// WindowFlags bits of articles and pictures read by the model itself.
namespace windowflags {
inline constexpr uint8_t kVerticalBar = 16;
inline constexpr uint8_t kHorizontalBar = 32;
} // namespace windowflags

// Field names are the publication's keys, so that every layer speaks of X1,
// LineColor or VarName alike. Run-time controls (scroll bars, the edit box)
// belong to the layers that own widgets, not to the model.

struct Article_Rec {
    QString Font;
    int32_t FontSize = 0;
    uint8_t FontStyle = 0;
    int32_t TextColor = 0;
    bool WordWrap = false;
    QString FileName;
    uint8_t WindowFlags = 0;
    uint8_t VScrollPos = 0;
    uint8_t HScrollPos = 0;
    int32_t XRange = 0;
    int32_t YRange = 0;
    int32_t MaxLineHeight = 1;
};

struct Button_Rec {
    uint8_t Align = 0;
    uint8_t Style = 0;
    uint8_t InitState = 0;
    uint8_t State = 0;
    uint16_t Key = 0;
    bool OverlayText = false;
    bool WordWrap = false;
    bool TransImages = false;
    int32_t MaxLen = 0;
    int32_t FontSize = 0;
    uint8_t FontStyle = 0;
    int32_t TextColor = 0;
    QString Font;
    QString VarName;
    QString UpImage;
    QString DownImage;
    QString Text;
    QString EditText;
    QString Action;
};

struct Picture_Rec {
    bool Scale = false;
    bool AspectRatio = false;
    bool TransImages = false;
    QString FileName;
    uint8_t WindowFlags = 0;
    uint8_t VScrollPos = 0;
    uint8_t HScrollPos = 0;
};

struct Text_Rec {
    uint8_t Align = 0;
    QString Font;
    int32_t FontSize = 0;
    uint8_t FontStyle = 0;
    int32_t TextColor = 0;
    QString Text;
    bool WordWrap = false;
};

using KindRecord = std::variant<std::monostate, Article_Rec, Button_Rec, Picture_Rec, Text_Rec>;

// The common record every object has, whatever its kind.
struct Object_Rec {
    // FillPattern 0 is a solid fill, 1 no fill at all, 2 and up a hatch
    // from the pattern table; FillMode draws a hatch see-through.
    static constexpr uint8_t kNoFill = 1;
    static constexpr uint8_t kFirstHatch = 2;

    uint8_t Kind = 0;
    uint8_t LineOrigin = 0;
    uint8_t FillPattern = 0;
    bool FillMode = false;
    int32_t LineColor = 0;
    int32_t FillColor = 0;
    int32_t LineWidth = 0;
    int32_t X1 = 0;
    int32_t Y1 = 0;
    int32_t X2 = 0;
    int32_t Y2 = 0;
    uint8_t LineStyle = 0;
    KindRecord Data;

    ObjectKind kind() const { return static_cast<ObjectKind>(Kind); }
    bool is(ObjectKind k) const { return Kind == static_cast<uint8_t>(k); }
    // Whether the page shows through the fill: there is none, or its hatch
    // is drawn see-through. Such an object cannot be drawn over itself
    // without its old pixels showing.
    bool fillShowsThrough() const { return FillPattern == kNoFill || (FillPattern >= kFirstHatch && FillMode); }

    Article_Rec* article() { return std::get_if<Article_Rec>(&Data); }
    const Article_Rec* article() const { return std::get_if<Article_Rec>(&Data); }
    Button_Rec* button() { return std::get_if<Button_Rec>(&Data); }
    const Button_Rec* button() const { return std::get_if<Button_Rec>(&Data); }
    Picture_Rec* picture() { return std::get_if<Picture_Rec>(&Data); }
    const Picture_Rec* picture() const { return std::get_if<Picture_Rec>(&Data); }
    Text_Rec* text() { return std::get_if<Text_Rec>(&Data); }
    const Text_Rec* text() const { return std::get_if<Text_Rec>(&Data); }
};

// A new object of a kind: the kind record that kind has, with its defaults
// (a picture starts without fill, an article scrolls one pixel per unit).
Object_Rec makeObject(uint8_t kind);

} // namespace lumeria
