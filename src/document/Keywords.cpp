#include "document/Keywords.h"

#include "document/Settings.h"

#include <string>
#include <unordered_map>

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

struct Tables {
    // Name before '=' -> keyword number, or 200 + L_ number.
    std::unordered_map<std::string_view, int> byName;
    // The keywords without '=', which match as plain prefixes.
    std::vector<std::pair<std::string_view, int>> bare;
};

const Tables& tables()
{
    static const Tables t = [] {
        Tables t;
        for (int i = 0; i < kKeywordCount; ++i) {
            const std::string_view text = kKeywordTexts[size_t(i)];
            if (text.back() == '=')
                t.byName.emplace(text.substr(0, text.size() - 1), i + 1);
            else
                t.bare.emplace_back(text, i + 1);
        }
        for (int i = 0; i < kLanguageElementCount; ++i)
            t.byName.emplace(kLanguageElementNames[size_t(i)], 200 + i + 1);
        return t;
    }();
    return t;
}

} // namespace

LineClass classifyKeyForm(std::string_view keyForm)
{
    const Tables& t = tables();
    int best = 0;
    for (const auto& [text, number] : t.bare) {
        if (keyForm.starts_with(text) && (best == 0 || number < best))
            best = number;
    }
    int element = 0;
    if (const size_t eq = keyForm.find('='); eq != std::string_view::npos) {
        if (auto it = t.byName.find(keyForm.substr(0, eq)); it != t.byName.end()) {
            if (it->second > 200)
                element = it->second - 200;
            else if (best == 0 || it->second < best)
                best = it->second;
        }
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
