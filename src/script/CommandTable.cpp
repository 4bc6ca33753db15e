#include "script/CommandTable.h"

namespace lumeria {

const std::array<CommandInfo, kCommandCount> kCommands = {{
    {"AlertBox", "AB", 'B', 2, 0, 0},
    {"Balloon", "BA", 'B', 1, 0, 0},
    {"CloseWindow", "CW", 'B', 1, 0, 0},
    {"Delay", "DE", 'B', 1, 0, 0},
    {"DOSCommand", "DC", 'B', 2, 0, 0},
    {"Exit", "EX", 'B', 2, 0, 0},
    {"FileCopy", "FC", 'A', 2, 0, 0},
    {"FileDelLine", "FD", 'A', 2, 0, 0},
    {"FileErase", "FE", 'A', 1, 0, 0},
    {"FileInsLine", "FL", 'A', 2, 0, 0},
    {"FileRead", "FR", 'A', 3, 3, 0},
    {"FileLen", "FN", 'A', 2, 2, 0},
    {"FileWrite", "FW", 'A', 3, 0, 0},
    {"Find", "FI", 'B', 1, 0, 0},
    {"GotoPage", "GO", 'B', 1, 0, 0},
    {"GotoFirstPage", "GF", 'B', -1, 0, 0},
    {"GotoLastPage", "GL", 'B', -1, 0, 0},
    {"GotoPrevPage", "GP", 'B', -1, 0, 0},
    {"GotoNextPage", "GN", 'B', -1, 0, 0},
    {"GotoLine", "GE", 'A', 1, 0, 0},
    {"If", "IF", 'A', 3, 0, 0},
    {"ImageWindow", "IW", 'B', 4, 0, 0},
    {"InternetLink", "IL", 'B', 1, 0, 0},
    {"Math", "MA", 'A', 3, 3, 1},
    {"MCICommand", "MC", 'A', 1, 0, 0},
    {"Menu", "MN", 'B', 3, 0, 0},
    {"MenuEx", "ME", 'A', 4, 4, 0},
    {"MessageBox", "MB", 'A', 4, 4, 0},
    {"PlayCartoonFile", "PC", 'B', 8, 0, 0},
    {"PlayFlicFile", "PF", 'B', 7, 0, 0},
    {"PlaySoundFile", "PS", 'B', 2, 0, 0},
    {"PlayTone", "PT", 'B', 1, 0, 0},
    {"PlayVideoFile", "PV", 'B', 6, 0, 0},
    {"PopupImage", "PI", 'B', 6, 0, 0},
    {"PrintDataFile", "PD", 'A', 3, 0, 0},
    {"PrintImageFile", "PM", 'B', 2, 0, 0},
    {"PrintPage", "PP", 'B', 1, 0, 0},
    {"PrintTextFile", "PX", 'B', 4, 0, 0},
    {"Random", "RN", 'A', 2, 2, 1},
    {"ReturnToPage", "RP", 'B', -1, 0, 0},
    {"SearchStr", "SE", 'A', 3, 3, 0},
    {"SetFont", "SF", 'A', 3, 0, 0},
    // SetVar's first argument, the name, is the one left unsubstituted.
    {"SetVar", "SV", 'A', 2, 1, 0},
    {"SoundBuzzer", "SB", 'B', -1, 0, 0},
    {"StickyNote", "SN", 'B', 4, 0, 0},
    {"StopMedia", "SM", 'B', 1, 0, 0},
    {"StrDel", "SD", 'A', 4, 4, 0},
    {"StrIns", "SS", 'A', 4, 4, 0},
    {"StrLen", "SL", 'A', 2, 2, 0},
    {"SubStr", "SU", 'A', 4, 4, 0},
    {"SystemInfo", "SI", 'A', 2, 2, 0},
    {"TextWindow", "TW", 'B', 7, 0, 0},
    {"While", "WI", 'A', 3, 0, 0},
}};

namespace {

bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

char16_t upper(char16_t u)
{
    return u >= 'a' && u <= 'z' ? char16_t(u - 'a' + 'A') : u;
}

bool startsWithName(QStringView line, std::string_view name)
{
    if (size_t(line.size()) < name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (upper(line[qsizetype(i)].unicode()) != upper(char16_t(name[i])))
            return false;
    }
    return size_t(line.size()) == name.size() || !isLetter(line[qsizetype(name.size())]);
}

} // namespace

Command lookupCommand(QStringView line)
{
    qsizetype start = 0;
    while (start < line.size() && line[start] == QLatin1Char(' '))
        ++start;
    const QStringView rest = line.mid(start);
    if (rest.size() < 2)
        return Command::None;
    for (size_t i = 0; i < kCommands.size(); ++i) {
        if (startsWithName(rest, kCommands[i].longName) || startsWithName(rest, kCommands[i].code))
            return static_cast<Command>(i + 1);
    }
    return Command::None;
}

} // namespace lumeria
