#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>

using namespace Platform;

TEST(Numbers, HalvesRoundToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(12.5), 12.0);
    EXPECT_EQ(roundHalfEven(13.5), 14.0);
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3.0);
    EXPECT_EQ(roundHalfEven(-0.4), 0.0);
}

TEST(Numbers, StrictTakesOnlyAWholeNumber)
{
    EXPECT_EQ(strictToInt16(QStringLiteral(" 30 ")), 30);
    EXPECT_EQ(strictToInt16(QStringLiteral("2.5")), 2);
    EXPECT_EQ(strictToInt16(QStringLiteral("3.5")), 4);
    EXPECT_EQ(strictToInt16(QStringLiteral("-7")), -7);
    EXPECT_EQ(strictToInt16(QStringLiteral("+7")), 7);
    EXPECT_EQ(strictToInt16(QStringLiteral(".5")), 0);
    for (const char *bad : {"", "   ", "30a", "a30", "3 0", "1,5", ".", "-", "+", "0x10", "--1", "1.2.3"})
        EXPECT_FALSE(strictToInt16(QString::fromLatin1(bad))) << bad;
    // Digits of other scripts are not numbers here.
    EXPECT_FALSE(strictToInt16(QStringLiteral("\u0663")));
}

TEST(Numbers, StrictRangeChecksAfterRounding)
{
    EXPECT_EQ(strictToInt16(QStringLiteral("32767")), 32767);
    EXPECT_EQ(strictToInt16(QStringLiteral("-32768")), -32768);
    EXPECT_FALSE(strictToInt16(QStringLiteral("32768")));
    EXPECT_FALSE(strictToInt16(QStringLiteral("40000")));
    EXPECT_FALSE(strictToInt16(QStringLiteral("32767.5")));
    EXPECT_EQ(strictToInt16(QStringLiteral("-32768.5")), -32768);
    EXPECT_EQ(strictToInt32(QStringLiteral("70000")), 70000);
    EXPECT_FALSE(strictToInt32(QStringLiteral("2147483648")));
    EXPECT_FALSE(strictToInt32(QStringLiteral("99999999999999999999999")));
}

TEST(Numbers, LenientTakesTheNumberAtTheStart)
{
    EXPECT_EQ(lenientToInt16(QStringLiteral("1a")), 1);
    EXPECT_EQ(lenientToInt16(QString()), 0);
    EXPECT_EQ(lenientToInt16(QStringLiteral("x")), 0);
    EXPECT_EQ(lenientToInt16(QStringLiteral("  -2.5xyz")), -2);
    EXPECT_EQ(lenientToInt16(QStringLiteral("12.5.3")), 12);
    EXPECT_EQ(lenientToInt16(QStringLiteral("3,9")), 3);
    EXPECT_EQ(leadingNumber(QStringLiteral("4.25 kg")), 4.25);
    EXPECT_EQ(leadingNumber(QStringLiteral("- 4")), 0.0);
    EXPECT_FALSE(lenientToInt16(QStringLiteral("99999")));
    EXPECT_EQ(lenientToInt32(QStringLiteral("99999")), 99999);
}

TEST(Numbers, TheLocaleDecimalSeparatorIsIgnored)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(strictToInt16(QStringLiteral("2.5")), 2);
    EXPECT_FALSE(strictToInt16(QStringLiteral("2,5")));
    EXPECT_EQ(leadingNumber(QStringLiteral("7,5")), 7.0);
    QLocale::setDefault(saved);
}
