// What each command does with its arguments once they are taken.
#include "platform/IoError.h"
#include "script/Conversions.h"
#include "script/FileCommands.h"
#include "script/ScriptEngine.h"

#include <algorithm>
#include <new>

namespace lumeria {

void ScriptEngine::execute(Frame& f, const ScriptLine& line)
{
    // Whatever a command asks for past the player's bounds, or past what
    // the machine has, ends the script with the runtime's own message; the
    // player goes on.
    try {
        executeCommand(f, line);
    } catch (const std::bad_alloc&) {
        reportError(ioErrorText(io::kOutOfMemory));
    }
}

void ScriptEngine::executeCommand(Frame& f, const ScriptLine& line)
{
    const Command c = line.command;
    switch (c) {
    case Command::If:
    case Command::While:
    case Command::SetVar:
    case Command::Math: executeInPlace(f, line); return;
    default: break;
    }
    ScriptArguments a;
    if (commandInfo(c).args >= 0 && !takeArguments(line, c, a))
        return;

    switch (c) {
    case Command::GotoLine: gotoLine(f, a.values[0]); return;
    case Command::Menu:
    case Command::MenuEx: menu(f, c, a); return;
    case Command::GotoPage:
    case Command::GotoFirstPage:
    case Command::GotoLastPage:
    case Command::GotoPrevPage:
    case Command::GotoNextPage:
    case Command::ReturnToPage:
        if (Page_Rec* page = pageTarget(c, a))
            pageCommand(f, line, page);
        return;
    case Command::Delay: m_host.delay(absoluteInteger(a.values[0])); return;
    case Command::SetFont:
        m_font.name = a.values[0];
        m_font.size = scriptInteger(digitsOf(a.values[1]));
        m_font.style = fontStyleBits(a.values[2]);
        return;
    case Command::StrLen:
    case Command::SubStr:
    case Command::StrDel:
    case Command::StrIns:
    case Command::SearchStr:
    case Command::Random:
    case Command::SystemInfo: executeString(c, a); return;
    case Command::FileRead:
    case Command::FileLen:
    case Command::FileWrite:
    case Command::FileInsLine:
    case Command::FileDelLine:
    case Command::FileErase:
    case Command::FileCopy:
    case Command::DOSCommand:
    case Command::InternetLink: m_files->execute(c, a); return;
    case Command::PlaySoundFile:
    case Command::PlayVideoFile:
    case Command::PlayFlicFile:
    case Command::PlayCartoonFile:
    case Command::StopMedia:
    case Command::MCICommand:
    case Command::PlayTone:
    case Command::SoundBuzzer:
    case Command::PrintPage:
    case Command::PrintTextFile:
    case Command::PrintDataFile:
    case Command::PrintImageFile: executeMediaOrPrint(c, a); return;
    default: executeDialogOrWindow(c, a); return;
    }
}

void ScriptEngine::executeDialogOrWindow(Command c, const ScriptArguments& a)
{
    const auto& v = a.values;
    switch (c) {
    case Command::AlertBox: m_host.messageDialog(v[0], v[1], {caption(LanguageElement::L_OK)}); break;
    case Command::MessageBox:
        m_variables.set(v[3], QString::number(m_host.messageDialog(v[0], v[1], v[2].split(QLatin1Char('|')))));
        break;
    case Command::Exit:
        if (v[0].isEmpty() && v[1].isEmpty()) {
            m_host.closeMainWindow();
        } else if (m_host.messageDialog(v[0], v[1],
                                        {caption(LanguageElement::L_YES), caption(LanguageElement::L_NO)}) == 1) {
            m_host.closeMainWindow();
        }
        break;
    case Command::Balloon: m_host.showBalloon(withLineBreaks(v[0]), -1, -1); break;
    case Command::StickyNote:
        m_host.showStickyNote(scriptInteger(v[0]), scriptInteger(v[1]), withLineBreaks(v[2]), scriptInteger(v[3]));
        break;
    case Command::PopupImage:
        if (!m_host.showPopupImage(scriptInteger(v[0]), scriptInteger(v[1]), v[2], scriptInteger(v[3]),
                                   effectNumber(v[4]), scriptInteger(v[5])))
            reportError(QStringLiteral("\"") + v[2] + QStringLiteral("\"\r\rImpossible de charger le fichier image !"));
        break;
    case Command::TextWindow:
        m_host.openTextWindow(v[0], scriptInteger(v[1]), scriptInteger(v[2]), scriptInteger(v[3]), scriptInteger(v[4]),
                              v[5], v[6].toUpper() == QLatin1String("WORDWRAP") ? TextWrap::Word : TextWrap::None);
        break;
    case Command::ImageWindow: m_host.openImageWindow(v[0], scriptInteger(v[1]), scriptInteger(v[2]), v[3]); break;
    case Command::CloseWindow:
        if (v[0].toUpper() == QLatin1String("FIND"))
            m_host.closeWindow(CloseTarget::FindWindow, {});
        else if (!v[0].isEmpty())
            m_host.closeWindow(CloseTarget::Window, v[0]);
        else
            m_host.closeWindow(CloseTarget::AllWindows, {});
        break;
    case Command::Find: m_host.find(v[0]); break;
    default: break;
    }
}

void ScriptEngine::executeMediaOrPrint(Command c, const ScriptArguments& a)
{
    const auto& v = a.values;
    auto placement = [&] {
        return MediaPlacement{scriptInteger(v[0]), scriptInteger(v[1]), scriptInteger(v[2]), scriptInteger(v[3])};
    };
    switch (c) {
    case Command::PlaySoundFile: m_media.playSoundFile(v[0], mediaMode(v[1])); break;
    case Command::PlayVideoFile: m_media.playVideoFile(v[4], mediaMode(v[5]), placement()); break;
    case Command::PlayFlicFile: m_media.playFlicFile(v[4], mediaMode(v[6]), placement(), scriptInteger(v[5])); break;
    case Command::PlayCartoonFile:
        m_media.playCartoonFile(v[4], mediaMode(v[7]), placement(), scriptInteger(v[5]), scriptInteger(v[6]));
        break;
    case Command::StopMedia: {
        const QString what = v[0].toUpper();
        if (what == QLatin1String("SOUND"))
            m_media.stopMedia(StopTarget::Sound, {});
        else if (what == QLatin1String("VIDEO"))
            m_media.stopMedia(StopTarget::Video, {});
        else if (!v[0].isEmpty())
            m_media.stopMedia(StopTarget::File, v[0]);
        else
            m_media.stopMedia(StopTarget::All, {});
        break;
    }
    case Command::MCICommand:
        m_variables.set(QStringLiteral("MCIResult"), QString::number(m_media.mciCommand(v[0])));
        break;
    case Command::PlayTone: m_media.playTone(std::min(absoluteInteger(v[0]), 32767), 150); break;
    case Command::SoundBuzzer: m_media.playTone(100, 150); break;
    case Command::PrintPage: m_host.printPage(v[0]); break;
    case Command::PrintTextFile:
        m_host.printFile(v[0], v[1], v[2],
                         v[3].toUpper() == QLatin1String("WORDWRAP") ? TextWrap::Word : TextWrap::None,
                         PrintMode::Text);
        break;
    case Command::PrintDataFile: m_host.printFile(v[0], v[1], v[2], TextWrap::None, PrintMode::Data); break;
    case Command::PrintImageFile: m_host.printImageFile(v[0], std::max(5, scriptInteger(digitsOf(v[1])))); break;
    default: break;
    }
}

} // namespace lumeria
