#include "popups/PasswordEntryForm.h"
#include "popups/QueryForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumeria {
namespace {

// Runs action on the next turn of the event loop, inside a modal exec().
void whenShown(std::function<void()> action)
{
    QTimer::singleShot(0, qApp, std::move(action));
}

TEST(QueryForm, ThreeCaptionsGiveEqualButtonsAndTheQuestionIcon)
{
    TQueryForm box(QStringLiteral("Title"), QStringLiteral("Choose"),
                   {QStringLiteral("A"), QStringLiteral("A much longer caption"), QStringLiteral("C")});
    ASSERT_EQ(box.buttons().size(), 3u);
    EXPECT_TRUE(box.showsQuestion());
    const int width = box.buttons()[0]->width();
    EXPECT_EQ(box.buttons()[1]->width(), width);
    EXPECT_EQ(box.buttons()[2]->width(), width);
    EXPECT_GT(width, 45);
    EXPECT_EQ(box.buttons()[0]->x(), 12);
    EXPECT_EQ(box.buttons()[1]->x(), 12 + width + 8);
    EXPECT_EQ(box.buttons()[0]->height(), 28);
    EXPECT_EQ(box.width(), box.buttons()[2]->geometry().right() + 1 + 12);

    whenShown([&] { box.buttons()[1]->click(); });
    EXPECT_EQ(box.ask(), 2);
}

TEST(QueryForm, OneCaptionShowsTheAlertIconAndNarrowButtonsAreCentred)
{
    TQueryForm box(QStringLiteral("T"), QStringLiteral("A message that is much wider than one button"),
                   {QStringLiteral("OK")});
    EXPECT_FALSE(box.showsQuestion());
    QPushButton* ok = box.buttons()[0];
    EXPECT_EQ(ok->width(), 45);
    EXPECT_EQ(box.width(), box.prompt()->geometry().right() + 1 + 12);
    // The row is shifted right by half the difference.
    EXPECT_EQ(ok->x(), 12 + (box.width() - (12 + 45 + 12)) / 2);
    EXPECT_EQ(ok->y(), box.prompt()->geometry().bottom() + 1 + 24);
    EXPECT_EQ(box.height(), box.prompt()->geometry().bottom() + 1 + 68);
    // A short message is centred on the icon.
    EXPECT_NEAR(box.prompt()->geometry().center().y(), box.icon()->geometry().center().y(), 1);

    whenShown([&] { box.reject(); });
    EXPECT_EQ(box.ask(), 0);
}

TEST(QueryForm, BarsBreakLinesAndNoButtonsIsAllowed)
{
    TQueryForm one(QStringLiteral("T"), QStringLiteral("line"), {});
    TQueryForm three(QStringLiteral("T"), QStringLiteral("one|two|three"), {});
    EXPECT_TRUE(three.buttons().empty());
    EXPECT_EQ(three.prompt()->text(), QStringLiteral("one\ntwo\nthree"));
    EXPECT_GE(three.prompt()->height(), 3 * one.prompt()->height());
    EXPECT_EQ(three.height(), three.prompt()->geometry().bottom() + 1 + 16);
    EXPECT_EQ(buttonCaptions(QString()), QStringList{});
    EXPECT_EQ(buttonCaptions(QStringLiteral("Oui|Non")).size(), 2);
}

// Typed as a dialog, with a close box and nothing to minimise or maximise.
void expectDialogFrame(const QWidget& dialog)
{
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

int boldWidth(const QString& text)
{
    QFont bold = TQueryForm::dialogFont();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(text);
}

TEST(QueryForm, ALongTitleWidensTheBoxAndCentresWhatIsInIt)
{
    const QString title = QStringLiteral("A title far wider than the message and its one button");
    TQueryForm box(title, QStringLiteral("Short"), {QStringLiteral("OK")});
    expectDialogFrame(box);
    EXPECT_GT(box.width(), boldWidth(title));
    // The icon and message stand as far from the left edge as from the
    // right, and so does the button.
    EXPECT_NEAR(box.icon()->x() + box.prompt()->geometry().right() + 1, box.width(), 2);
    QPushButton* ok = box.buttons()[0];
    EXPECT_NEAR(2 * ok->x() + ok->width(), box.width(), 2);
}

class PasswordTest : public ::testing::Test {
protected:
    PasswordTest()
    {
        strings[LanguageElement::L_PWORDTITLE] = QStringLiteral("Mot de passe");
        strings[LanguageElement::L_PWORDERROR] = QStringLiteral("Mot de passe incorrect.");
        strings[LanguageElement::L_OK] = QStringLiteral("OK");
        strings[LanguageElement::L_CANCEL] = QStringLiteral("Annuler");
    }
    LanguageElementArray strings;
};

TEST_F(PasswordTest, OkIsEnabledOnlyWithAnEntry)
{
    TPasswordEntryForm form(QStringLiteral("secret"), strings);
    EXPECT_FALSE(form.okButton()->isEnabled());
    form.entry()->setText(QStringLiteral("x"));
    EXPECT_TRUE(form.okButton()->isEnabled());
    form.entry()->clear();
    EXPECT_FALSE(form.okButton()->isEnabled());
    EXPECT_EQ(form.okButton()->width(), form.cancelButton()->width());
}

TEST_F(PasswordTest, ComparisonIgnoresCase)
{
    TPasswordEntryForm form(QStringLiteral("secret"), strings);
    whenShown([&] {
        form.entry()->setText(QStringLiteral("SECRET"));
        form.okButton()->click();
    });
    EXPECT_EQ(form.ask(), TPasswordEntryForm::kAccepted);
    EXPECT_TRUE(form.lockShownOpen());
}

TEST_F(PasswordTest, WrongPasswordSaysSoAndRefuses)
{
    TPasswordEntryForm form(QStringLiteral("secret"), strings);
    QString shownTitle, shownMessage;
    whenShown([&] {
        form.entry()->setText(QStringLiteral("guess"));
        // The error box opens modally inside the click; answer it from there.
        QTimer::singleShot(0, qApp, [&] {
            auto* box = qobject_cast<TQueryForm*>(QApplication::activeModalWidget());
            if (box) {
                shownTitle = box->windowTitle();
                shownMessage = box->prompt()->text();
                box->buttons()[0]->click();
            }
        });
        form.okButton()->click();
    });
    EXPECT_EQ(form.ask(), TPasswordEntryForm::kRefused);
    EXPECT_EQ(shownTitle, QStringLiteral("Mot de passe"));
    EXPECT_EQ(shownMessage, QStringLiteral("Mot de passe incorrect."));
    EXPECT_FALSE(form.lockShownOpen());

    TPasswordEntryForm cancelled(QStringLiteral("secret"), strings);
    whenShown([&] { cancelled.cancelButton()->click(); });
    EXPECT_EQ(cancelled.ask(), TPasswordEntryForm::kCancelled);
}

TEST_F(PasswordTest, TheDialogIsFramedAsOneAndWideEnoughForItsTitle)
{
    strings[LanguageElement::L_PWORDTITLE] = QStringLiteral("Mot de passe de cette publication, qui ne la quitte pas");
    TPasswordEntryForm form(QStringLiteral("secret"), strings);
    expectDialogFrame(form);
    EXPECT_GT(form.width(), boldWidth(strings[LanguageElement::L_PWORDTITLE]));
}

} // namespace
} // namespace lumeria
