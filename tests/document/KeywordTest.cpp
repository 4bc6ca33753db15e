#include "document/Keywords.h"
#include "document/Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumeria {
namespace {

// The runtime's own way: every keyword in table order, then every L_ name
// with '=' appended, the first that begins the key form winning.
LineClass linearScan(std::string_view keyForm)
{
    for (int i = 0; i < kKeywordCount; ++i) {
        if (keyForm.starts_with(kKeywordTexts[size_t(i)]))
            return {static_cast<Keyword>(i + 1), 0};
    }
    for (int i = 0; i < kLanguageElementCount; ++i) {
        const std::string name = std::string(kLanguageElementNames[size_t(i)]) + "=";
        if (keyForm.starts_with(name))
            return {Keyword::None, i + 1};
    }
    return {};
}

TEST(Keywords, ClassificationAgreesWithTheTableScan)
{
    std::vector<std::string> forms = {"",
                                      "=",
                                      "==",
                                      "X",
                                      "X1",
                                      "X1=",
                                      "NEWPAGE",
                                      "NEWPAGE=",
                                      "NEWPAGEX=Y",
                                      "MASTERPAGEFOO",
                                      "GROUPBEGIN=1",
                                      "GROUPENDX",
                                      "L_OK",
                                      "L_OK=",
                                      "L_OKAY=",
                                      "TEXT=TEXTCOLOR=1",
                                      "FONTSIZE=FONT=",
                                      "=X1=",
                                      "L_=",
                                      "PAL==",
                                      "KEY=KEY="};
    for (std::string_view k : kKeywordTexts) {
        const std::string s(k);
        forms.push_back(s);
        forms.push_back(s + "VALUE");
        forms.push_back(s + "=" + s);
        forms.push_back(s.substr(0, s.size() - 1));
        forms.push_back(s.substr(0, s.size() - 1) + "X=");
    }
    for (std::string_view n : kLanguageElementNames) {
        forms.push_back(std::string(n) + "=text");
        forms.push_back(std::string(n) + "X=text");
    }
    for (const std::string& form : forms) {
        const LineClass fast = classifyKeyForm(form);
        const LineClass slow = linearScan(form);
        EXPECT_EQ(fast.keyword, slow.keyword) << form;
        EXPECT_EQ(fast.languageElement, slow.languageElement) << form;
        // What the line reader hands over: the key up to its first '='.
        const size_t eq = form.find('=');
        const LineClass key = classifyKey(std::string_view(form).substr(0, eq == std::string::npos ? eq : eq + 1));
        EXPECT_EQ(key.keyword, slow.keyword) << form;
        EXPECT_EQ(key.languageElement, slow.languageElement) << form;
    }
}

TEST(Keywords, EqualsSignKeepsPrefixKeywordsApart)
{
    EXPECT_EQ(classifyKeyForm("FONT=ARIAL").keyword, Keyword::Font);
    EXPECT_EQ(classifyKeyForm("FONTSIZE=12").keyword, Keyword::FontSize);
    EXPECT_EQ(classifyKeyForm("FONTSTYLE=1").keyword, Keyword::FontStyle);
    EXPECT_EQ(classifyKeyForm("TEXT=HI").keyword, Keyword::Text);
    EXPECT_EQ(classifyKeyForm("TEXTCOLOR=1").keyword, Keyword::TextColor);
    EXPECT_EQ(classifyKeyForm("GROUPEND").keyword, Keyword::GroupEnd);
    EXPECT_EQ(classifyKeyForm("L_FINDNEXT=Suivant").languageElement, 10);
    EXPECT_FALSE(classifyKeyForm("L_FINDLAST=x").matched());
    EXPECT_FALSE(classifyKeyForm("NOTAKEY=1").matched());
}

TEST(Keywords, IntegerReadings)
{
    EXPECT_EQ(parseInteger("10"), 10);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_EQ(parseInteger("-5"), -5);
    EXPECT_EQ(parseInteger("$FF"), 255);
    EXPECT_EQ(parseInteger("0X10"), 16);
    EXPECT_EQ(parseInteger("16777215"), 16777215);
    // Colours may be written as unsigned 32-bit values.
    EXPECT_EQ(parseInteger("2147483663"), int32_t(0x8000000F));
    EXPECT_EQ(parseInteger("4294967295"), -1);
    // Malformed and out-of-range values read as 0.
    EXPECT_EQ(parseInteger(""), 0);
    EXPECT_EQ(parseInteger("-"), 0);
    EXPECT_EQ(parseInteger("$"), 0);
    EXPECT_EQ(parseInteger("1A"), 0);
    EXPECT_EQ(parseInteger("12.5"), 0);
    EXPECT_EQ(parseInteger("4294967296"), 0);
    EXPECT_EQ(parseInteger("99999999999999999999999"), 0);
}

} // namespace
} // namespace lumeria
