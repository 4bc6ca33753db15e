// Reading aloud: what the window hands its voice, and when. A page is read
// when it is shown, the button Tab reaches when the focus lands on it,
// balloons, notes and boxes as they open; Ctrl+Shift+S turns the voice on
// and off, Esc silences it.
#include "app/MainForm.h"
#include "app/PageReading.h"
#include "app/PlayerSession.h"
#include "app/ReadingAloud.h"
#include "automation/AutomationLog.h"
#include "platform/VirtualKeys.h"

namespace lumeria {

namespace {

constexpr int kReadingKey = 'S';
constexpr uint16_t kReadingModifiers = vk::kCtrlBit | vk::kShiftBit;

} // namespace

ReadingAloud& TMainForm::readingAloud()
{
    if (!m_reading) {
        // Tests and readers who want another voice name the engine; an
        // engine no plugin provides, "none" for one, means there is none.
        m_reading =
            std::make_unique<ReadingAloud>([this](const QString& text) { logEvent(AutomationLog::speak(text)); },
                                           qEnvironmentVariable("LUMERIA_SPEECH_ENGINE"));
        m_reading->setEnabled(m_commandLine.speak);
    }
    return *m_reading;
}

ReadingSources TMainForm::readingSources()
{
    ReadingSources sources;
    sources.substitute = [this](const QString& text) { return substitute(text); };
    sources.openText = [this](const QString& name) -> std::unique_ptr<ByteSource> {
        if (!m_session.container().find(name))
            return nullptr;
        return std::make_unique<EntrySource>(m_session.container(), name);
    };
    return sources;
}

void TMainForm::readPageAloud()
{
    ReadingAloud& voice = readingAloud();
    voice.stop();
    const Page_Rec* page = currentPage();
    if (!voice.enabled() || !page)
        return;
    for (const QString& text : pageReading(publication().document, *page, readingSources()))
        voice.speak(text);
}

void TMainForm::announce(const QString& text)
{
    ReadingAloud& voice = readingAloud();
    if (voice.enabled())
        voice.speak(boundedText(text.trimmed(), kMaxUtterance));
}

bool TMainForm::readingKey(int virtualKey, uint16_t modifierBits)
{
    if (virtualKey != kReadingKey || modifierBits != kReadingModifiers)
        return false;
    ReadingAloud& voice = readingAloud();
    if (voice.enabled()) {
        logEvent(AutomationLog::speakStop());
        voice.setEnabled(false);
    } else {
        voice.setEnabled(true);
        readPageAloud();
    }
    return true;
}

void TMainForm::escapePressed()
{
    if (m_reading && m_reading->enabled()) {
        logEvent(AutomationLog::speakStop());
        m_reading->stop();
    }
}

void TMainForm::tabbedTo(ObjectRef target)
{
    if (!target || !m_reading || !m_reading->enabled())
        return;
    const QString said = objectReading(*target.object, readingSources());
    if (said.isEmpty())
        return;
    // The reader moved on: what the page was saying gives way.
    m_reading->stop();
    m_reading->speak(said);
}

} // namespace lumeria
