// Ctrl+F12: what the reader sees, as a PNG picture in their pictures
// folder (or --screenshot-dir), told for a moment in the window's title.
#include "app/MainForm.h"
#include "app/PlayerSession.h"
#include "app/Screenshot.h"
#include "app/TitleNotice.h"
#include "automation/AutomationLog.h"
#include "platform/VirtualKeys.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStandardPaths>

namespace lumeria {

namespace {

constexpr int kScreenshotKey = vk::kF1 + 11; // F12
constexpr int kNoticeTime = 2000;

} // namespace

bool TMainForm::screenshotKey(int virtualKey, uint16_t modifierBits)
{
    if (virtualKey != kScreenshotKey || modifierBits != vk::kCtrlBit)
        return false;
    takeScreenshot();
    return true;
}

void TMainForm::takeScreenshot()
{
    QString folder = m_commandLine.screenshotFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    // What is pending reaches the page first: the picture is what the
    // reader sees once the key has been taken.
    bringUpToDate();
    const QString stem = screenshotStem(m_session.container().filePath(), QDateTime::currentDateTime());
    const ScreenshotOutcome outcome = folder.isEmpty() ? ScreenshotOutcome{{}, QStringLiteral("aucun dossier d'images")}
                                                       : saveScreenshot(grabReaderView(*this), folder, stem);
    if (!m_titleNotice)
        m_titleNotice = std::make_unique<TitleNotice>(*this);
    if (outcome.error.isEmpty()) {
        logEvent(AutomationLog::screenshot(outcome.path));
        m_titleNotice->show(QStringLiteral(" — capture enregistrée : ") + QFileInfo(outcome.path).fileName(),
                            kNoticeTime);
    } else {
        logEvent(AutomationLog::screenshotFailed(outcome.error));
        m_titleNotice->show(QStringLiteral(" — capture impossible : ") + outcome.error, kNoticeTime);
    }
}

} // namespace lumeria
