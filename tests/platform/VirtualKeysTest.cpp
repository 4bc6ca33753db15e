#include "platform/VirtualKeys.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

TEST(VirtualKeys, QtKeysMapOntoWindowsCodes)
{
    EXPECT_EQ(vk::fromQtKey(Qt::Key_Backtab), vk::kTab);
    EXPECT_EQ(vk::fromQtKey(Qt::Key_F24), 135);
    // The keypad has codes of its own for digits and operators only.
    EXPECT_EQ(vk::fromQtKey(Qt::Key_7, Qt::KeypadModifier), 103);
    EXPECT_EQ(vk::fromQtKey(Qt::Key_7), 55);
    EXPECT_EQ(vk::fromQtKey(Qt::Key_Minus, Qt::KeypadModifier), vk::kSubtract);
    EXPECT_EQ(vk::fromQtKey(Qt::Key_Minus), vk::kOemMinus);
    EXPECT_EQ(vk::fromQtKey(Qt::Key_Home, Qt::KeypadModifier), vk::kHome);
    EXPECT_EQ(vk::fromQtKey(Qt::Key_Enter, Qt::KeypadModifier), vk::kReturn);
    // Shifted characters come back to the key that types them.
    EXPECT_EQ(vk::keyValue(Qt::Key_Exclam, Qt::ShiftModifier), 49 | vk::kShiftBit);
    EXPECT_EQ(vk::keyValue(Qt::Key_Question, Qt::ShiftModifier), vk::kOem2 | vk::kShiftBit);
    EXPECT_EQ(vk::keyValue(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier), 83 | vk::kCtrlBit | vk::kAltBit);
    EXPECT_EQ(vk::keyValue(Qt::Key_unknown, Qt::NoModifier), 0);
}

TEST(VirtualKeys, NamesFromAutomationScripts)
{
    EXPECT_EQ(vk::qtKeyFromName(QStringLiteral("esc")), Qt::Key_Escape);
    EXPECT_EQ(vk::qtKeyFromName(QStringLiteral("PgUp")), Qt::Key_PageUp);
    EXPECT_EQ(vk::qtKeyFromName(QStringLiteral("Enter")), Qt::Key_Return);
    EXPECT_EQ(vk::qtKeyFromName(QStringLiteral("F5")), Qt::Key_F5);
    EXPECT_EQ(vk::qtKeyFromName(QStringLiteral("VK_LEFT")), Qt::Key_Left);
    EXPECT_EQ(vk::keyFromName(QStringLiteral("Num5")), QKeyCombination(Qt::KeypadModifier, Qt::Key_5));
    EXPECT_FALSE(vk::qtKeyFromName(QStringLiteral("F25")));
    EXPECT_FALSE(vk::qtKeyFromName(QStringLiteral("Nonsense")));
    EXPECT_FALSE(vk::qtKeyFromName(QString()));
}

} // namespace
} // namespace lumeria
