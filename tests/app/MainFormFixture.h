#pragma once

// The main window in-process over a publication built by the test, shown
// until its first page is up.
#include "app/MainForm.h"
#include "app/PlayerSession.h"

#include "ContainerBuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace lumeria::test {

// A window closed by an earlier test asked the application to exit, and
// until an application loop has run every modal loop (a box, a dialog)
// ends as soon as it starts.
inline void letEarlierExitsGo()
{
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

class MainFormFixture : public ::testing::Test {
protected:
    // RUNTIME.PUB's text, and the files it uses.
    void open(const QByteArray& publication, std::vector<RawEntry> files = {})
    {
        files.insert(files.begin(), RawEntry{"RUNTIME.PUB", publication, 0});
        const QString path = m_dir.filePath(QStringLiteral("pub.lum"));
        ASSERT_TRUE(writeFile(path, containerBytes(files)));
        ASSERT_TRUE(m_session.open(path));
        // At the page's own pixels, whatever the test screen's size.
        CommandLine line;
        line.scale = {ScaleChoice::Kind::Factor, 1};
        m_form = std::make_unique<TMainForm>(m_session, line);
        m_form->start();
        waitFor([&] { return m_form->firstPageShown(); });
        settle();
    }

    void TearDown() override
    {
        if (m_form)
            m_form->shutDown();
    }

    template <typename Condition>
    void waitFor(Condition done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(done());
    }

    void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    // What the work area shows at a page point.
    QRgb shown(int x, int y)
    {
        return m_form->viewport()->grab().toImage().pixel(m_form->pageOrigin() + QPoint(x, y)) & 0xFFFFFF;
    }

    Object_Rec& object(int index) { return *m_session.publication().document.currentPage()->Objects[size_t(index)]; }

    QTemporaryDir m_dir;
    PlayerSession m_session;
    std::unique_ptr<TMainForm> m_form;
};

} // namespace lumeria::test
