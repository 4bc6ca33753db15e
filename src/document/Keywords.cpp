#include "document/Keywords.h"

#include "document/Settings.h"

#include <string>
#include <vector>

namespace lumeria {

const std::array<std::string_view, kKeywordCount> kKeywordTexts = {
    "SCREENCOLORS=",
    "SCREENWIDTH=",
    "SCREENHEIGHT=",
    "NEWPAGE",
    "OBJECTTYPE=",
    "X1=",
    "Y1=",
    "X2=",
    "Y2=",
    "LINECOLOR=",
    "LINEWIDTH=",
    "LINESTYLE=",
    "LINEORIGIN=",
    "FILLCOLOR=",
    "FILLPATTERN=",
    "FILLMODE=",
    "TEXTCOLOR=",
    "PAL=",
    "FONT=",
    "WORDWRAP=",
    "SCALE=",
    "FILENAME=",
    "WINDOWFLAGS=",
    "XRANGE=",
    "YRANGE=",
    "TEXT=",
    "ACTION=",
    "PAGECOLOR=",
    "GROUPBEGIN",
    "GROUPEND",
    "MASTERPAGE",
    "SHOWMASTER=",
    "PAGESTYLE=",
    "PAGEWALLPAPER=",
    "ALLOWESC=",
    "ALLOWPAGEUPDN=",
    "AUTHOR=",
    "VSCROLLPOS=",
    "HSCROLLPOS=",
    "ALIGN=",
    "ALLOWKEYBOARD=",
    "AUTORETURN=",
    "RETURNTIME=",
    "KEY=",
    "TABWINDOWS=",
    "TABBUTTONS=",
    "FADEIN=",
    "LANGUAGE=",
    "STYLE=",
    "UPIMAGE=",
    "DOWNIMAGE=",
    "FONTSIZE=",
    "FONTSTYLE=",
    "PAGEACTION=",
    "PAGEPALETTE=",
    "VARNAME=",
    "MAXLEN=",
    "INITSTATE=",
    "PAGEEFFECT=",
    "EFFECTSPEED=",
    "TITLE=",
    "LUMERIAVER=",
    "PASSWORD=",
    "ICON=",
    "RETURNACTION=",
    "FULLSCREEN=",
    "STAYONTOP=",
    "ASPECTRATIO=",
    "OVERLAYTEXT=",
    "TRANSIMAGES=",
    "SIZEABLE=",
    "COMPILEDNAME=",
    "FONTSINCLUDED=",
    "FONTSTOCOMPILE=",
    "EXTRACTOP=",
    "EXTRACTDIR=",
    "FILESINCLUDED=",
    "COPYEXTERNAL=",
    "EXTERNALPATH=",
    "SETUPBUILDDIR=",
    "SETUPMEDIA=",
    "SETUPINSTDIR=",
    "SETUPPROGGRP=",
    "SETUPTITLE=",
    "SETUPCOLORS=",
    "MAXLINEHEIGHT=",
    "COMPRESSIMAGES=",
    "EXITACTION=",
    "APPCURSOR=",
    "HOTSPOTCURSOR=",
    "RUNTIMEDLL=",
};

namespace {

// Every name before '=' (the 87 keywords that end in '=' and the 30 L_
// names) has a slot of its own among 4096: the hash's seed is chosen once
// (a handful of tries) so that no two names share a slot, so a line costs one
// hash of its name and at most one comparison, without the allocator's
// scattered nodes of a map.
class NameTable {
public:
    NameTable()
    {
        for (int i = 0; i < kKeywordCount; ++i) {
            const std::string_view text = kKeywordTexts[size_t(i)];
            if (text.back() == '=')
                m_names.push_back({text.substr(0, text.size() - 1), i + 1});
        }
        for (int i = 0; i < kLanguageElementCount; ++i)
            m_names.push_back({kLanguageElementNames[size_t(i)], 200 + i + 1});
        for (m_seed = 2166136261u; !place(); ++m_seed) {
        }
    }

    // The keyword number, 200 + the L_ number, or 0.
    int find(std::string_view name) const
    {
        const uint8_t at = m_slots[index(name)];
        return at != 0 && m_names[at - 1].text == name ? m_names[at - 1].number : 0;
    }

private:
    static constexpr size_t kSlots = 4096;
    struct Name {
        std::string_view text;
        int number;
    };

    size_t index(std::string_view name) const
    {
        uint32_t h = m_seed;
        for (char c : name)
            h = (h ^ uint8_t(c)) * 16777619u;
        h ^= h >> 13;
        return h & (kSlots - 1);
    }

    bool place()
    {
        m_slots.fill(0);
        for (size_t i = 0; i < m_names.size(); ++i) {
            uint8_t& slot = m_slots[index(m_names[i].text)];
            if (slot != 0)
                return false;
            slot = uint8_t(i + 1);
        }
        return true;
    }

    std::vector<Name> m_names;
    std::array<uint8_t, kSlots> m_slots{};
    uint32_t m_seed = 0;
};

const NameTable& names()
{
    static const NameTable t;
    return t;
}

// The keywords without '=', which match as plain prefixes; all begin with
// G, M or N, which no other line needs testing for.
int bareKeyword(std::string_view keyForm)
{
    if (keyForm.empty())
        return 0;
    switch (keyForm.front()) {
    case 'N': return keyForm.starts_with("NEWPAGE") ? int(Keyword::NewPage) : 0;
    case 'M': return keyForm.starts_with("MASTERPAGE") ? int(Keyword::MasterPage) : 0;
    case 'G':
        if (keyForm.starts_with("GROUPBEGIN"))
            return int(Keyword::GroupBegin);
        return keyForm.starts_with("GROUPEND") ? int(Keyword::GroupEnd) : 0;
    default: return 0;
    }
}

} // namespace

LineClass classifyKeyForm(std::string_view keyForm)
{
    const size_t eq = keyForm.find('=');
    return classifyKey(eq == std::string_view::npos ? keyForm : keyForm.substr(0, eq + 1));
}

LineClass classifyKey(std::string_view key)
{
    int best = bareKeyword(key);
    int element = 0;
    if (!key.empty() && key.back() == '=') {
        if (const int number = names().find(key.substr(0, key.size() - 1)); number > 200)
            element = number - 200;
        else if (number != 0 && (best == 0 || number < best))
            best = number;
    }
    if (best != 0)
        return {static_cast<Keyword>(best), 0};
    return {Keyword::None, element};
}

int32_t parseInteger(std::string_view s)
{
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    unsigned base = 10;
    if (s.starts_with('$')) {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'X' || s[1] == 'x')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty())
        return 0;
    uint64_t magnitude = 0;
    for (char c : s) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else
            return 0;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull)
            return 0;
    }
    const auto bits = uint32_t(negative ? (0 - magnitude) : magnitude);
    return static_cast<int32_t>(bits);
}

} // namespace lumeria
