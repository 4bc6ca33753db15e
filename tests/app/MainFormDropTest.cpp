// A publication dropped on the main window: the one playing closes as the
// reader's close closes it, and is kept when the close is refused.
#include "MainFormFixture.h"

#include "popups/PasswordEntryForm.h"
#include "popups/QueryForm.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace lumeria {
namespace {

class MainFormDropTest : public test::MainFormFixture {
protected:
    void SetUp() override
    {
        test::letEarlierExitsGo();
        ASSERT_TRUE(
            test::writeFile(m_next, test::containerBytes({{"RUNTIME.PUB", "MasterPage\r\nNewPage=Next\r\n", 0}})));
    }

    // Where a desktop delivers it: to the work area under the pointer.
    bool drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QWidget* area = m_form->viewport();
        const QPoint at = area->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &dropped);
        settle();
        return dropped.isAccepted();
    }

    QString m_next = m_dir.filePath(QStringLiteral("next.lum"));
};

constexpr const char* kPage = "MasterPage\r\nNewPage=First\r\nPageAction=SV \"seen\" \"yes\"\r\n";

TEST_F(MainFormDropTest, ADroppedPublicationClosesThisOneAsACloseDoes)
{
    open(kPage);
    ASSERT_EQ(m_form->variable(QStringLiteral("seen")), QStringLiteral("yes"));
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.com/next.lum"))}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("missing.lum")))}));
    EXPECT_FALSE(m_form->isClosing());
    EXPECT_TRUE(m_form->publicationToPlayNext().isEmpty());

    ASSERT_TRUE(drop({QUrl::fromLocalFile(m_next)}));
    EXPECT_TRUE(m_form->isClosing());
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_EQ(m_form->publicationToPlayNext(), m_next);
    // What the close ends went with it: the run's variables.
    EXPECT_TRUE(m_form->variable(QStringLiteral("seen")).isEmpty());
}

TEST_F(MainFormDropTest, NothingIsDroppedWhileABoxWaitsForTheReader)
{
    open(kPage);
    bool taken = true;
    std::function<void()> dropOnTheWindow = [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) {
            QTimer::singleShot(10, m_form.get(), dropOnTheWindow);
            return;
        }
        taken = drop({QUrl::fromLocalFile(m_next)});
        box->close();
    };
    QTimer::singleShot(0, m_form.get(), dropOnTheWindow);
    TQueryForm(QStringLiteral("Note"), QStringLiteral("Hello"), {QStringLiteral("OK")}, m_form.get()).ask();
    settle();
    EXPECT_FALSE(taken);
    EXPECT_FALSE(m_form->isClosing());
    EXPECT_TRUE(m_form->publicationToPlayNext().isEmpty());
}

TEST_F(MainFormDropTest, APasswordNotGivenKeepsThePublicationAndForgetsTheDrop)
{
    open(QByteArray("Password=secret\r\n") + kPage);
    // The reader cancels the password box the close asks.
    bool asked = false;
    std::function<void()> cancel = [&] {
        if (auto* box = qobject_cast<TPasswordEntryForm*>(QApplication::activeModalWidget())) {
            asked = true;
            box->reject();
        } else {
            QTimer::singleShot(10, m_form.get(), cancel);
        }
    };
    QTimer::singleShot(0, m_form.get(), cancel);
    ASSERT_TRUE(drop({QUrl::fromLocalFile(m_next)}));
    waitFor([&] { return asked; });
    settle();
    EXPECT_FALSE(m_form->isClosing());
    EXPECT_TRUE(m_form->isVisible());
    EXPECT_TRUE(m_form->publicationToPlayNext().isEmpty());
    EXPECT_EQ(m_form->variable(QStringLiteral("seen")), QStringLiteral("yes"));
}

} // namespace
} // namespace lumeria
