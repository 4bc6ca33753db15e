#include "platform/Codepage.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

TEST(Codepage, Windows1252UpperHalf)
{
    const Codepage& cp = Codepage::windows1252();
    EXPECT_EQ(cp.toUnicode(0x80), QChar(0x20AC));
    EXPECT_EQ(cp.toUnicode(0x9F), QChar(0x0178));
    EXPECT_EQ(cp.toUnicode(0xE9), QChar(0x00E9));
    // Bytes Windows leaves undefined still decode to something.
    EXPECT_EQ(cp.toUnicode(0x81), QChar(0x0081));
    EXPECT_EQ(cp.decode(std::string_view("Caf\xE9")), QStringLiteral("Café"));
}

TEST(Codepage, EveryByteOfEveryCodePageSurvivesARoundTrip)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    for (const QString& name : Codepage::names()) {
        const Codepage* cp = Codepage::byName(name);
        ASSERT_NE(cp, nullptr) << name.toStdString();
        EXPECT_EQ(cp->encode(cp->decode(all)), all) << name.toStdString();
    }
}

TEST(Codepage, OtherCodePagesByNumberOrName)
{
    for (const char* name : {"1251", "cp1251", "CP1251", "windows-1251", "Win1251", " windows1251 "}) {
        const Codepage* cp = Codepage::byName(QLatin1String(name));
        ASSERT_NE(cp, nullptr) << name;
        EXPECT_EQ(cp->number(), 1251);
    }
    EXPECT_EQ(Codepage::byName(QStringLiteral("cp1251"))->decode(std::string_view("\xCF\xF0\xE8")),
              QStringLiteral("При"));
    EXPECT_EQ(Codepage::byNumber(1250)->toUnicode(0x8A), QChar(0x0160));
    EXPECT_EQ(Codepage::byNumber(1253)->toUnicode(0xC1), QChar(0x0391));
    EXPECT_EQ(Codepage::byNumber(874)->toUnicode(0xA1), QChar(0x0E01));
    EXPECT_EQ(Codepage::byName(QStringLiteral("utf-8")), nullptr);
    EXPECT_EQ(Codepage::byName(QStringLiteral("1252x")), nullptr);
    EXPECT_EQ(&Codepage::windows1252(), Codepage::byNumber(1252));
}

TEST(Codepage, UnrepresentableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(Codepage::windows1252().encode(u"a\u4e2db\u0416"), QByteArray("a?b?"));
}

} // namespace
} // namespace lumeria
