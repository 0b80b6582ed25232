#include "services/AmountInput.h"

#include <gtest/gtest.h>

TEST(AmountInput, AcceptsPlainDecimalsWithPointOrComma) {
    EXPECT_EQ(parseAmountInput("12.5"), Decimal::parse("12.5"));
    EXPECT_EQ(parseAmountInput("12,5"), Decimal::parse("12.5"));
    EXPECT_EQ(parseAmountInput(" 40 "), Decimal(40));
    EXPECT_EQ(parseAmountInput(".5"), Decimal::parse("0.5"));
    EXPECT_EQ(parseAmountInput("5."), Decimal(5));
    EXPECT_EQ(parseAmountInput("-3"), Decimal(-3));
}

TEST(AmountInput, RefusesAnythingButPlainDecimalText) {
    for (const char* bad : {"", " ", "12abc", "abc", "1e3", "1E3", "1 000", "1.2.3", "1,2,3", "--1", "+",
                            ".", "0x10", "١٢", "12\n3", "inf", "nan"}) {
        EXPECT_FALSE(parseAmountInput(QString::fromUtf8(bad)).has_value()) << bad;
    }
}

TEST(AmountInput, PositiveVariantRefusesZeroAndNegatives) {
    EXPECT_FALSE(parsePositiveAmountInput("0").has_value());
    EXPECT_FALSE(parsePositiveAmountInput("0,00").has_value());
    EXPECT_FALSE(parsePositiveAmountInput("-1").has_value());
    EXPECT_EQ(parsePositiveAmountInput("0,01"), Decimal::parse("0.01"));
}
