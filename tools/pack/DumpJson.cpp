#include "DumpJson.h"

#include "JsonWriter.h"

#include <variant>

namespace lumeria {

namespace {

void writeField(JsonWriter& w, std::string_view name, int64_t v)
{
    w.key(name);
    w.value(v);
}

void writeField(JsonWriter& w, std::string_view name, bool v)
{
    w.key(name);
    w.value(v);
}

void writeField(JsonWriter& w, std::string_view name, const QString& v)
{
    w.key(name);
    w.value(v);
}

// Byte and 16-bit fields are numbers too, not booleans or characters.
template <class T>
requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) void writeField(JsonWriter& w, std::string_view name, T v)
{
    writeField(w, name, int64_t(v));
}

void writeKind(JsonWriter& w, const Article_Rec& a)
{
    writeField(w, "Font", a.Font);
    writeField(w, "FontSize", a.FontSize);
    writeField(w, "FontStyle", a.FontStyle);
    writeField(w, "TextColor", a.TextColor);
    writeField(w, "WordWrap", a.WordWrap);
    writeField(w, "FileName", a.FileName);
    writeField(w, "WindowFlags", a.WindowFlags);
    writeField(w, "VScrollPos", a.VScrollPos);
    writeField(w, "HScrollPos", a.HScrollPos);
    writeField(w, "XRange", a.XRange);
    writeField(w, "YRange", a.YRange);
    writeField(w, "MaxLineHeight", a.MaxLineHeight);
}

void writeKind(JsonWriter& w, const Button_Rec& b)
{
    writeField(w, "Align", b.Align);
    writeField(w, "Style", b.Style);
    writeField(w, "InitState", b.InitState);
    writeField(w, "State", b.State);
    writeField(w, "Key", b.Key);
    writeField(w, "OverlayText", b.OverlayText);
    writeField(w, "WordWrap", b.WordWrap);
    writeField(w, "TransImages", b.TransImages);
    writeField(w, "MaxLen", b.MaxLen);
    writeField(w, "FontSize", b.FontSize);
    writeField(w, "FontStyle", b.FontStyle);
    writeField(w, "TextColor", b.TextColor);
    writeField(w, "Font", b.Font);
    writeField(w, "VarName", b.VarName);
    writeField(w, "UpImage", b.UpImage);
    writeField(w, "DownImage", b.DownImage);
    writeField(w, "Text", b.Text);
    writeField(w, "EditText", b.EditText);
    writeField(w, "Action", b.Action);
}

void writeKind(JsonWriter& w, const Picture_Rec& p)
{
    writeField(w, "Scale", p.Scale);
    writeField(w, "AspectRatio", p.AspectRatio);
    writeField(w, "TransImages", p.TransImages);
    writeField(w, "FileName", p.FileName);
    writeField(w, "WindowFlags", p.WindowFlags);
    writeField(w, "VScrollPos", p.VScrollPos);
    writeField(w, "HScrollPos", p.HScrollPos);
}

void writeKind(JsonWriter& w, const Text_Rec& t)
{
    writeField(w, "Align", t.Align);
    writeField(w, "Font", t.Font);
    writeField(w, "FontSize", t.FontSize);
    writeField(w, "FontStyle", t.FontStyle);
    writeField(w, "TextColor", t.TextColor);
    writeField(w, "Text", t.Text);
    writeField(w, "WordWrap", t.WordWrap);
}

void writeKind(JsonWriter&, const std::monostate&) {}

void writeObject(JsonWriter& w, const Object_Rec& o)
{
    w.beginObject();
    writeField(w, "ObjectType", o.Kind);
    writeField(w, "LineOrigin", o.LineOrigin);
    writeField(w, "FillPattern", o.FillPattern);
    writeField(w, "FillMode", o.FillMode);
    writeField(w, "LineColor", o.LineColor);
    writeField(w, "FillColor", o.FillColor);
    writeField(w, "LineWidth", o.LineWidth);
    writeField(w, "X1", o.X1);
    writeField(w, "Y1", o.Y1);
    writeField(w, "X2", o.X2);
    writeField(w, "Y2", o.Y2);
    writeField(w, "LineStyle", o.LineStyle);
    std::visit([&](const auto& record) { writeKind(w, record); }, o.Data);
    w.endObject();
}

void writePage(JsonWriter& w, const Page_Rec& p)
{
    w.beginObject();
    writeField(w, "Name", p.Name);
    writeField(w, "PageColor", p.PageColor);
    writeField(w, "PageEffect", p.PageEffect);
    writeField(w, "EffectSpeed", p.EffectSpeed);
    writeField(w, "PageStyle", p.PageStyle);
    writeField(w, "PageWallpaper", p.PageWallpaper);
    writeField(w, "ShowMaster", p.ShowMaster);
    writeField(w, "PageAction", p.PageAction);
    writeField(w, "ExitAction", p.ExitAction);
    w.key("PagePalette");
    w.beginArray();
    for (const PaletteEntry& e : p.PagePalette)
        w.value(int64_t(colourValue(e)));
    w.endArray();
    w.key("Objects");
    w.beginArray();
    for (const auto& object : p.Objects)
        writeObject(w, *object);
    w.endArray();
    w.endObject();
}

std::string_view borderName(WindowBorder b)
{
    switch (b) {
    case WindowBorder::Sizeable: return "Sizeable";
    case WindowBorder::Dialog: return "Dialog";
    case WindowBorder::None: return "None";
    }
    return "Sizeable";
}

void writeHeader(JsonWriter& w, const PublicationSettings& s)
{
    w.beginObject();
    writeField(w, "Title", s.Title);
    writeField(w, "Author", s.Author);
    writeField(w, "ScreenColors", s.ScreenColors);
    writeField(w, "ScreenWidth", s.ScreenWidth);
    writeField(w, "ScreenHeight", s.ScreenHeight);
    writeField(w, "AllowEsc", s.AllowEsc);
    writeField(w, "AllowPageUpDn", s.AllowPageUpDn);
    writeField(w, "TabWindows", s.TabWindows);
    writeField(w, "TabButtons", s.TabButtons);
    writeField(w, "AutoReturn", s.AutoReturn);
    writeField(w, "ReturnTime", s.ReturnTime);
    writeField(w, "ReturnAction", s.ReturnAction);
    writeField(w, "FullScreen", s.FullScreen);
    writeField(w, "StayOnTop", s.StayOnTop);
    writeField(w, "Sizeable", s.Sizeable);
    w.key("WindowBorder");
    w.value(borderName(s.Border));
    writeField(w, "Password", s.Password);
    writeField(w, "ExtractOp", s.ExtractOp);
    writeField(w, "ExtractDir", s.ExtractDir);
    writeField(w, "CompressImages", s.CompressImages);
    writeField(w, "AppCursor", s.AppCursor);
    writeField(w, "HotspotCursor", s.HotspotCursor);
    writeField(w, "RuntimeDll", s.RuntimeDll);
    w.endObject();
}

} // namespace

bool writePublicationJson(std::FILE* stream, const Publication& pub, int status)
{
    JsonWriter w(stream);
    w.beginObject();
    writeField(w, "status", status);
    w.key("header");
    writeHeader(w, pub.settings);
    w.key("strings");
    w.beginObject();
    for (int i = 0; i < kLanguageElementCount; ++i)
        writeField(w, kLanguageElementNames[size_t(i)], pub.strings.at(i + 1));
    w.endObject();
    w.key("master");
    writePage(w, pub.document.master());
    w.key("pages");
    w.beginArray();
    for (const auto& page : pub.document.pages())
        writePage(w, *page);
    w.endArray();
    w.endObject();
    return w.flush() && std::fputc('\n', stream) != EOF && std::fflush(stream) == 0;
}

} // namespace lumeria
