#include <gtest/gtest.h>

#include "services/AmountInput.h"

TEST(AmountInput, AcceptsPlainDecimalsWithPointOrCommaOnly) {
    const std::pair<const char*, const char*> good[] = {{"12.5", "12.5"}, {"12,5", "12.5"}, {" 40 ", "40"},
                                                        {".5", "0.5"},    {"5.", "5"},      {"-3", "-3"},
                                                        {"+5", "5"}};
    for (const auto& [text, value] : good) EXPECT_EQ(parseAmountInput(text), Decimal::parse(value)) << text;
    for (const char* bad : {"", " ", "12abc", "abc", "1e3", "1E3", "1 000", "1.2.3", "1,2,3", "--1", "+", ".",
                            "0x10", "١٢", "12\n3", "inf", "nan"})
        EXPECT_FALSE(parseAmountInput(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(AmountInput, PositiveVariantRefusesZeroAndNegatives) {
    for (const char* bad : {"0", "0,00", "-1"})
        EXPECT_FALSE(parsePositiveAmountInput(bad).has_value()) << bad;
    EXPECT_EQ(parsePositiveAmountInput("0,01"), Decimal::parse("0.01"));
}
