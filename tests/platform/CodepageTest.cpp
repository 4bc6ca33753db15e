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

TEST(Codepage, EveryByteSurvivesARoundTrip)
{
    const Codepage& cp = Codepage::windows1252();
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    EXPECT_EQ(cp.encode(cp.decode(all)), all);
}

TEST(Codepage, UnrepresentableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(Codepage::windows1252().encode(u"a\u4e2db\u0416"), QByteArray("a?b?"));
}

} // namespace
} // namespace lumeria
