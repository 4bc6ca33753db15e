// The window a player with nothing to play shows: what its buttons, its
// open dialog, drops and automation's answers pick.
#include "app/StartWindow.h"

#include "ContainerBuilder.h"
#include "MainFormFixture.h"
#include "popups/QueryForm.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace lumeria {
namespace {

class StartWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::letEarlierExitsGo();
        ASSERT_TRUE(test::writeFile(m_tour, test::containerBytes({{"RUNTIME.PUB", "MasterPage\r\n", 0}})));
    }
    void TearDown() override { TQueryForm::setAnswerer({}); }

    // Answers the window asks, in turn; what it asked is kept.
    void answerWith(std::deque<int> answers)
    {
        TQueryForm::setAnswerer(
            [this, answers](const QString& title, const QString& message, const QStringList& buttons) mutable {
                m_asked << title + QLatin1Char('/') + message + QLatin1Char('/') + buttons.join(QLatin1Char('|'));
                if (answers.empty())
                    return std::optional<int>(0);
                const int answer = answers.front();
                answers.pop_front();
                return std::optional<int>(answer);
            });
    }

    // Does what a reader does once the window is up, from inside its loop.
    static void whenShown(StartWindow& window, std::function<void()> act)
    {
        QTimer::singleShot(0, &window, [&window, act = std::move(act)] {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
            act();
        });
    }

    static bool drop(QWidget& target, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = target.rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &dropped);
        return dropped.isAccepted();
    }

    QTemporaryDir m_dir;
    const QString m_tour = m_dir.filePath(QStringLiteral("tour.lum"));
    QStringList m_asked;
};

TEST_F(StartWindowTest, TheTourButtonPlaysTheTourAndWithoutOneSaysWhyNot)
{
    StartWindow window(m_tour);
    whenShown(window, [&] { QTest::mouseClick(window.button(StartWindow::kPlayTour), Qt::LeftButton); });
    EXPECT_EQ(window.ask(), m_tour);

    StartWindow without({});
    EXPECT_FALSE(without.button(StartWindow::kPlayTour)->isEnabled());
    whenShown(without, [&] {
        EXPECT_TRUE(without.tourNote()->isVisible());
        EXPECT_TRUE(without.tourNote()->text().contains(QStringLiteral("pas installée")));
        // Pressed anyway: the window waits on, until the reader quits.
        QTest::mouseClick(without.button(StartWindow::kPlayTour), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_TRUE(without.isVisible());
        QTest::keyClick(&without, Qt::Key_Escape);
    });
    EXPECT_EQ(without.ask(), std::nullopt);
}

TEST_F(StartWindowTest, TheOpenDialogPicksAPublicationAndCancelledLeavesTheWindowWaiting)
{
    const QString disc = m_dir.filePath(QStringLiteral("ATLAS.EXE"));
    ASSERT_TRUE(QFile::copy(m_tour, disc));
    ASSERT_TRUE(test::writeFile(m_dir.filePath(QStringLiteral("README.TXT")), "read me"));
    StartWindow window(m_tour);
    whenShown(window, [&] { QTest::mouseClick(window.button(StartWindow::kOpenFile), Qt::LeftButton); });
    // The dialog is modal inside the click: it is answered from its own loop.
    int dialogs = 0;
    std::function<void()> inDialog = [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, &window, inDialog);
            return;
        }
        ++dialogs;
        if (dialogs == 1) {
            dialog->reject();
            QTimer::singleShot(0, &window, [&] {
                EXPECT_TRUE(window.isVisible());
                QTest::mouseClick(window.button(StartWindow::kOpenFile), Qt::LeftButton);
            });
            QTimer::singleShot(10, &window, inDialog);
            return;
        }
        // A disc's program in capitals passes the publications' filter, a
        // text does not.
        dialog->setDirectory(m_dir.path());
        auto* model = dialog->findChild<QFileSystemModel*>();
        ASSERT_TRUE(model);
        const QModelIndex folder = model->index(m_dir.path());
        EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(folder) >= 2; }, 3000));
        QStringList listed;
        for (int row = 0; row < model->rowCount(folder); ++row)
            listed << model->index(row, 0, folder).data().toString();
        listed.sort();
        EXPECT_EQ(listed, (QStringList{QStringLiteral("ATLAS.EXE"), QStringLiteral("tour.lum")}));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        QTest::keyClicks(name, QStringLiteral("ATLAS.EXE"));
        QTest::keyClick(name, Qt::Key_Return);
    };
    QTimer::singleShot(10, &window, inDialog);
    EXPECT_EQ(window.ask(), disc);
    EXPECT_EQ(dialogs, 2);
}

TEST_F(StartWindowTest, APublicationDroppedOnTheWindowIsPicked)
{
    const QString notes = m_dir.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(test::writeFile(notes, "notes"));
    StartWindow window({});
    whenShown(window, [&] {
        EXPECT_FALSE(drop(window, {QUrl(QStringLiteral("https://example.com/tour.lum"))}));
        EXPECT_FALSE(drop(window, {QUrl::fromLocalFile(notes)}));
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(drop(window, {QUrl::fromLocalFile(m_tour)}));
    });
    EXPECT_EQ(window.ask(), m_tour);
}

TEST_F(StartWindowTest, AnswersPickAsTheButtonsDoWithoutShowingAnything)
{
    // The open dialogs have no reader to pick in: closed, and asked again.
    answerWith({StartWindow::kOpenFile, StartWindow::kOpenFolder, StartWindow::kPlayTour});
    StartWindow window(m_tour);
    EXPECT_EQ(window.ask(), m_tour);
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(m_asked.size(), 3);
    EXPECT_EQ(m_asked[0], QStringLiteral("Lumeria/") + window.message() +
                              QStringLiteral("/Ouvrir une publication…|Ouvrir un dossier…|Jouer la visite|Quitter"));
    EXPECT_FALSE(m_asked[0].contains(QStringLiteral("pas installée")));

    // Without a tour its button presses nothing; quitting picks nothing.
    m_asked.clear();
    answerWith({StartWindow::kPlayTour, StartWindow::kQuit});
    StartWindow without({});
    EXPECT_EQ(without.ask(), std::nullopt);
    ASSERT_EQ(m_asked.size(), 2);
    EXPECT_TRUE(m_asked[0].contains(QStringLiteral("La visite n'est pas installée")));
    // Answers run out as a closed window.
    m_asked.clear();
    answerWith({});
    EXPECT_EQ(StartWindow(m_tour).ask(), std::nullopt);
    EXPECT_EQ(m_asked.size(), 1);
}

} // namespace
} // namespace lumeria
