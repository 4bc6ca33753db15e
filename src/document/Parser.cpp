#include "document/Parser.h"

#include "document/Keywords.h"
#include "document/LineBatches.h"
#include "platform/Codepage.h"
#include "platform/VectorState.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>

namespace lumeria {

namespace {

// Calls f with the object's kind record, whatever its type; a field assignment
// guarded by `requires` then applies only to the kinds that have that field,
// which is exactly the rule that a key the kind lacks is skipped.
template <class F>
void withKindRecord(Object_Rec& object, F&& f)
{
    std::visit([&](auto& record) { f(record); }, object.Data);
}

uint8_t lowByte(int32_t v)
{
    return static_cast<uint8_t>(v & 0xFF);
}

// Publications repeat the same values over thousands of objects: a font, a
// picture, "GO \"NEXT\"". Equal values are decoded once and share one
// string (implicitly shared, so a later change to one object copies it). The
// table lives only while the file is read; its own copies of the raw bytes
// are bounded, so it never costs more than the sharing saves.
class SharedTexts {
public:
    template <class Decode>
    QString get(std::string_view raw, Decode&& decode)
    {
        if (raw.empty())
            return decode(raw);
        if (const auto it = m_texts.find(raw); it != m_texts.end())
            return it->second;
        QString text = decode(raw);
        if (m_bytes + raw.size() + kEntryCost <= kMaxBytes) {
            m_bytes += raw.size() + kEntryCost;
            m_texts.emplace(std::string(raw), text);
        }
        return text;
    }

private:
    static constexpr size_t kMaxBytes = 256 * 1024;
    static constexpr size_t kEntryCost = 96; // a node of the table, about
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_texts;
    size_t m_bytes = 0;
};

class Parser {
public:
    Parser(Publication& pub, const Palette& currentPalette) : m_pub(pub), m_palette(currentPalette)
    {
        for (PaletteEntry& e : m_palette)
            e.flags = kNoCollapse;
    }

    int run(TextSource& source)
    {
        BatchReader reader(source);
        LineBatch first;
        // A text that fits one batch is applied as read; only a larger one
        // is worth a second thread.
        if (!reader.fill(first))
            return apply(first) ? reader.result() : kStatusLimitReached;
        ReadAhead ahead(reader);
        if (!apply(first))
            return kStatusLimitReached;
        while (const LineBatch* batch = ahead.next())
            if (!apply(*batch))
                return kStatusLimitReached;
        return reader.result();
    }

private:
    // The three readings of a line's value. The integer and boolean ones
    // need the value's key form, made only when one of them is asked for:
    // most long values are texts and scripts.
    struct Value {
        std::string_view raw; // after the first '=', as read
        SharedTexts* shared = nullptr;
        std::string* scratch = nullptr;
        mutable bool formed = false;
        QString text() const
        {
            const auto decode = [](std::string_view bytes) { return activeCodepage().decode(bytes); };
            return shared ? shared->get(raw, decode) : decode(raw);
        }
        std::string_view key() const
        {
            if (!formed) {
                scratch->assign(raw);
                scratch->resize(formKeyInPlace(scratch->data(), scratch->size()));
                formed = true;
            }
            return *scratch;
        }
        // Most values hold no space, and then read the same without their
        // key form: numbers take lower-case hexadecimal digits and "0x" as
        // they are, and "yes" only needs its case ignored.
        bool spaceless() const
        {
            for (const char c : raw)
                if (c == ' ')
                    return false;
            return true;
        }
        int32_t integer() const { return parseInteger(!formed && spaceless() ? raw : key()); }
        bool boolean() const
        {
            if (formed || !spaceless())
                return key() == "YES";
            return raw.size() == 3 && upperAscii(raw[0]) == 'Y' && upperAscii(raw[1]) == 'E' &&
                   upperAscii(raw[2]) == 'S';
        }
    };

    bool apply(const LineBatch& batch)
    {
        // Reading the text may have looked its name up in a QHash.
        clearUpperVectorState();
        for (const LineBatch::Line& line : batch.lines())
            if (!apply(batch.key(line), batch.value(line)))
                return false;
        return true;
    }

    bool apply(std::string_view keyForm, std::string_view value)
    {
        const LineClass cls = classifyKey(keyForm);
        if (!cls.matched())
            return true;

        Value v;
        v.raw = value;
        v.shared = &m_sharedTexts;
        v.scratch = &m_valueForm;

        if (cls.languageElement != 0) {
            m_pub.strings.at(cls.languageElement) = v.text();
            return true;
        }
        if (applyHeader(cls.keyword, v))
            return true;
        switch (cls.keyword) {
        case Keyword::MasterPage: m_page = &m_pub.document.master(); return true;
        case Keyword::NewPage:
            // Page names are each their own; they would only fill the table.
            m_page = m_pub.document.appendSharedPage(activeCodepage().decode(v.raw), workingPalette());
            return m_page != nullptr;
        default: break;
        }
        if (!m_page)
            return true;
        if (cls.keyword == Keyword::ObjectType) {
            m_object = m_pub.document.appendObject(*m_page, lowByte(v.integer()));
            return m_object != nullptr;
        }
        if (applyPage(cls.keyword, v))
            return true;
        if (m_object)
            applyObject(cls.keyword, v);
        return true;
    }

    bool applyHeader(Keyword k, const Value& v)
    {
        PublicationSettings& s = m_pub.settings;
        switch (k) {
        case Keyword::ScreenColors: s.ScreenColors = v.integer(); break;
        case Keyword::ScreenWidth: s.ScreenWidth = v.integer(); break;
        case Keyword::ScreenHeight: s.ScreenHeight = v.integer(); break;
        case Keyword::AllowEsc: s.AllowEsc = v.boolean(); break;
        case Keyword::AllowPageUpDn: s.AllowPageUpDn = v.boolean(); break;
        case Keyword::Author: s.Author = v.text(); break;
        case Keyword::AutoReturn: s.AutoReturn = v.boolean(); break;
        case Keyword::ReturnTime: s.ReturnTime = v.integer(); break;
        case Keyword::TabWindows: s.TabWindows = v.boolean(); break;
        case Keyword::TabButtons: s.TabButtons = v.boolean(); break;
        case Keyword::Title: s.Title = v.text(); break;
        case Keyword::Password: s.Password = v.text(); break;
        case Keyword::ReturnAction: s.ReturnAction = v.text(); break;
        case Keyword::FullScreen: s.FullScreen = v.boolean(); break;
        case Keyword::StayOnTop: s.StayOnTop = v.boolean(); break;
        case Keyword::Sizeable:
            s.Sizeable = v.boolean();
            s.Border = s.FullScreen ? WindowBorder::None : s.Sizeable ? WindowBorder::Sizeable : WindowBorder::Dialog;
            break;
        case Keyword::ExtractOp: s.ExtractOp = lowByte(v.integer()); break;
        case Keyword::ExtractDir: s.ExtractDir = v.text(); break;
        case Keyword::CompressImages: s.CompressImages = v.boolean(); break;
        case Keyword::AppCursor: s.AppCursor = v.text(); break;
        case Keyword::HotspotCursor: s.HotspotCursor = v.text(); break;
        case Keyword::RuntimeDll: s.RuntimeDll = v.text(); break;
        // Authoring-side settings: matched so they never fall through to
        // anything else, then read past.
        case Keyword::Pal:
        case Keyword::GroupBegin:
        case Keyword::GroupEnd:
        case Keyword::AllowKeyboard:
        case Keyword::FadeIn:
        case Keyword::Language:
        case Keyword::LumeriaVer:
        case Keyword::Icon:
        case Keyword::CompiledName:
        case Keyword::FontsIncluded:
        case Keyword::FontsToCompile:
        case Keyword::FilesIncluded:
        case Keyword::CopyExternal:
        case Keyword::ExternalPath:
        case Keyword::SetupBuildDir:
        case Keyword::SetupMedia:
        case Keyword::SetupInstDir:
        case Keyword::SetupProgGrp:
        case Keyword::SetupTitle:
        case Keyword::SetupColors: break;
        default: return false;
        }
        return true;
    }

    bool applyPage(Keyword k, const Value& v)
    {
        Page_Rec& p = *m_page;
        switch (k) {
        case Keyword::PageColor: p.PageColor = v.integer(); break;
        case Keyword::ShowMaster: p.ShowMaster = v.boolean(); break;
        case Keyword::PageStyle: p.PageStyle = lowByte(v.integer()); break;
        case Keyword::PageWallpaper: p.PageWallpaper = v.text(); break;
        case Keyword::PageAction: p.PageAction = v.text(); break;
        case Keyword::ExitAction: p.ExitAction = v.text(); break;
        case Keyword::PageEffect: p.PageEffect = lowByte(v.integer()); break;
        case Keyword::EffectSpeed: p.EffectSpeed = lowByte(v.integer()); break;
        case Keyword::PagePalette:
            // The working palette keeps these colours, so pages created later
            // start from the last palette read.
            // Pages usually repeat one palette line: read it once.
            if (!m_paletteText || *m_paletteText != v.raw) {
                parsePalette(v.raw, m_palette);
                m_paletteText = std::string(v.raw);
                m_paletteRef.reset();
            }
            p.PagePalette = workingPalette();
            break;
        default: return false;
        }
        return true;
    }

    void applyObject(Keyword k, const Value& v)
    {
        Object_Rec& o = *m_object;
        switch (k) {
        case Keyword::X1: o.X1 = v.integer(); break;
        case Keyword::Y1: o.Y1 = v.integer(); break;
        case Keyword::X2: o.X2 = v.integer(); break;
        case Keyword::Y2: o.Y2 = v.integer(); break;
        case Keyword::LineColor: o.LineColor = v.integer(); break;
        case Keyword::LineWidth: o.LineWidth = v.integer(); break;
        case Keyword::LineStyle: o.LineStyle = lowByte(v.integer()); break;
        case Keyword::LineOrigin: o.LineOrigin = lowByte(v.integer()); break;
        case Keyword::FillColor: o.FillColor = v.integer(); break;
        case Keyword::FillPattern: o.FillPattern = lowByte(v.integer()); break;
        case Keyword::FillMode: o.FillMode = v.integer() == 1; break;
        default: applyKindField(k, v); break;
        }
    }

    void applyKindField(Keyword k, const Value& v)
    {
        withKindRecord(*m_object, [&](auto& r) {
            switch (k) {
            case Keyword::TextColor:
                if constexpr (requires { r.TextColor; })
                    r.TextColor = v.integer();
                break;
            case Keyword::Font:
                if constexpr (requires { r.Font; })
                    r.Font = v.text();
                break;
            case Keyword::WordWrap:
                if constexpr (requires { r.WordWrap; })
                    r.WordWrap = v.boolean();
                break;
            case Keyword::Scale:
                if constexpr (requires { r.Scale; })
                    r.Scale = v.boolean();
                break;
            case Keyword::FileName:
                if constexpr (requires { r.FileName; })
                    r.FileName = v.text();
                break;
            case Keyword::WindowFlags:
                if constexpr (requires { r.WindowFlags; })
                    r.WindowFlags = lowByte(v.integer());
                break;
            case Keyword::XRange:
                if constexpr (requires { r.XRange; })
                    r.XRange = v.integer();
                break;
            case Keyword::YRange:
                if constexpr (requires { r.YRange; })
                    r.YRange = v.integer();
                break;
            case Keyword::Text:
                if constexpr (requires { r.Text; })
                    r.Text = v.text();
                break;
            case Keyword::Action:
                if constexpr (requires { r.Action; })
                    r.Action = v.text();
                break;
            case Keyword::VScrollPos:
                if constexpr (requires { r.VScrollPos; })
                    r.VScrollPos = lowByte(v.integer());
                break;
            case Keyword::HScrollPos:
                if constexpr (requires { r.HScrollPos; })
                    r.HScrollPos = lowByte(v.integer());
                break;
            case Keyword::Align:
                if constexpr (requires { r.Align; })
                    r.Align = lowByte(v.integer());
                break;
            case Keyword::Key:
                if constexpr (requires { r.Key; })
                    r.Key = static_cast<uint16_t>(v.integer() & 0xFFFF);
                break;
            case Keyword::Style:
                if constexpr (requires { r.Style; })
                    r.Style = lowByte(v.integer());
                break;
            case Keyword::UpImage:
                if constexpr (requires { r.UpImage; })
                    r.UpImage = v.text();
                break;
            case Keyword::DownImage:
                if constexpr (requires { r.DownImage; })
                    r.DownImage = v.text();
                break;
            case Keyword::FontSize:
                if constexpr (requires { r.FontSize; })
                    r.FontSize = v.integer();
                break;
            case Keyword::FontStyle:
                if constexpr (requires { r.FontStyle; })
                    r.FontStyle = static_cast<uint8_t>(v.integer() & 0x0F);
                break;
            case Keyword::VarName:
                if constexpr (requires { r.VarName; })
                    r.VarName = v.text();
                break;
            case Keyword::MaxLen:
                if constexpr (requires { r.MaxLen; })
                    r.MaxLen = v.integer();
                break;
            case Keyword::InitState:
                if constexpr (requires { r.InitState; }) {
                    r.InitState = lowByte(v.integer());
                    // Check boxes and radio buttons show their initial state
                    // from the start; a push button's stays a default.
                    if (r.Style == uint8_t(ButtonStyle::CheckBox) || r.Style == uint8_t(ButtonStyle::RadioButton))
                        r.State = r.InitState;
                }
                break;
            case Keyword::AspectRatio:
                if constexpr (requires { r.AspectRatio; })
                    r.AspectRatio = v.boolean();
                break;
            case Keyword::OverlayText:
                if constexpr (requires { r.OverlayText; })
                    r.OverlayText = v.boolean();
                break;
            case Keyword::TransImages:
                if constexpr (requires { r.TransImages; })
                    r.TransImages = v.boolean();
                break;
            case Keyword::MaxLineHeight:
                if constexpr (requires { r.MaxLineHeight; })
                    r.MaxLineHeight = v.integer();
                break;
            default: break;
            }
        });
    }

    // The working palette as pages share it, taken once after each change
    // rather than compared again for every page.
    const PagePaletteRef& workingPalette()
    {
        if (!m_paletteRef)
            m_paletteRef = m_pub.document.sharedPalette(m_palette);
        return *m_paletteRef;
    }

    Publication& m_pub;
    Palette m_palette;
    std::optional<PagePaletteRef> m_paletteRef; // m_palette's shared copy, once taken
    std::optional<std::string> m_paletteText;   // the line m_palette was last read from
    Page_Rec* m_page = nullptr;
    Object_Rec* m_object = nullptr;
    std::string m_valueForm;
    SharedTexts m_sharedTexts;
};

} // namespace

int loadPublication(TextSource& source, Publication& pub, const Palette& currentPalette)
{
    Parser parser(pub, currentPalette);
    return parser.run(source);
}

void parsePalette(std::string_view text, Palette& palette)
{
    size_t pos = 0;
    for (PaletteEntry& entry : palette) {
        int32_t colour = 0;
        const size_t space = pos <= text.size() ? text.find(' ', pos) : std::string_view::npos;
        if (space != std::string_view::npos) {
            colour = parseInteger(text.substr(pos, space - pos));
            pos = space + 1;
        } else {
            pos = text.size() + 1;
        }
        const auto c = uint32_t(colour);
        entry.red = uint8_t(c & 0xFF);
        entry.green = uint8_t((c >> 8) & 0xFF);
        entry.blue = uint8_t((c >> 16) & 0xFF);
    }
}

} // namespace lumeria
