#pragma once

#include <QStringView>

#include <array>
#include <cstdint>
#include <string_view>

namespace lumeria {

// Command numbers as the table numbers them; the order is the lookup order.
enum class Command : uint8_t {
    None = 0,
    AlertBox,
    Balloon,
    CloseWindow,
    Delay,
    DOSCommand,
    Exit,
    FileCopy,
    FileDelLine,
    FileErase,
    FileInsLine,
    FileRead,
    FileLen,
    FileWrite,
    Find,
    GotoPage,
    GotoFirstPage,
    GotoLastPage,
    GotoPrevPage,
    GotoNextPage,
    GotoLine,
    If,
    ImageWindow,
    InternetLink,
    Math,
    MCICommand,
    Menu,
    MenuEx,
    MessageBox,
    PlayCartoonFile,
    PlayFlicFile,
    PlaySoundFile,
    PlayTone,
    PlayVideoFile,
    PopupImage,
    PrintDataFile,
    PrintImageFile,
    PrintPage,
    PrintTextFile,
    Random,
    ReturnToPage,
    SearchStr,
    SetFont,
    SetVar,
    SoundBuzzer,
    StickyNote,
    StopMedia,
    StrDel,
    StrIns,
    StrLen,
    SubStr,
    SystemInfo,
    TextWindow,
    While,
};

inline constexpr int kCommandCount = 53;
static_assert(static_cast<int>(Command::While) == kCommandCount);

struct CommandInfo {
    std::string_view longName;
    std::string_view code;
    char kind;      // 'A' or 'B': carried, never consulted
    int args;       // exact count required; -1 reads no arguments
    int resultArg;  // 1-based argument naming the result variable, 0 none
    int numericArg; // 1-based argument substituted in numeric mode, 0 none
};

extern const std::array<CommandInfo, kCommandCount> kCommands;

inline const CommandInfo& commandInfo(Command c)
{
    return kCommands[static_cast<size_t>(c) - 1];
}

// The command a line starts with, after leading spaces: for each entry in
// table order its long name, then its code, matched case-insensitively and
// followed by the end of the line or by anything but a letter.
Command lookupCommand(QStringView line);

} // namespace lumeria
