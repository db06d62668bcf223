#include "domain/document/InputText.h"

#include <gtest/gtest.h>

using namespace liqiva;

namespace {

TEST(AmountText, ShownInTheCompanysCurrency)
{
    struct {
        double value;
        bool euro;
        const char *shown;
    } cases[] = {
        {1234.56, true, "1.234,56"}, {1234567.891, true, "1.234.567,89"},
        {0.005, true, "0,01"},                               // the half goes away from zero
        {-0.005, true, "-0,01"},     {-0.004, true, "0,00"}, // no minus on a nil amount
        {1.005, true, "1,01"},                               // not 1,00 from the binary 1.00499...
        {1234.5, false, "1.235"},                            // lire: no decimals
        {999.5, false, "1.000"},     {3858.20, false, "3.858"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatAmount(Money::fromDouble(c.value), c.euro), QString::fromLatin1(c.shown)) << c.value << " euro " << c.euro;
    EXPECT_EQ(formatAmount(std::optional<Money>{}, true), QString());
    EXPECT_EQ(formatPercent(*Percent::parse(u"76.82"_qs)), u"76,82"_qs);
    EXPECT_EQ(formatPercent(Percent::points(100)), u"100,00"_qs);
}

TEST(AmountText, TypedAmounts)
{
    struct {
        const char *typed;
        bool euro;
        bool valid;
        std::optional<double> value;
    } cases[] = {
        {"1.234,56", true, true, 1234.56},
        {"12.50", true, true, 12.5}, // a lone dot before two digits is a decimal point
        {"12.5", true, true, 12.5},
        {"1.234", true, true, 1234}, // before three digits it groups thousands
        {" 1 234,00 ", true, true, 1234},
        {"-12", true, true, -12},
        {",5", true, true, 0.5},
        {"", true, true, std::nullopt},
        {"12,345", true, false, std::nullopt}, // three decimals in euro
        {"12,3", false, false, std::nullopt},  // decimals in lire
        {"12.50", false, false, std::nullopt},
        {"1.234", false, true, 1234},
        {"1.23.4", true, false, std::nullopt},
        {"1,2,3", true, false, std::nullopt},
        {"abc", true, false, std::nullopt},
        {"12a", true, false, std::nullopt},
        {"1e5", true, false, std::nullopt},
        {"1234567890123456", true, false, std::nullopt}, // more digits than an amount has
    };
    for (const auto &c : cases) {
        const ParsedAmount p = parseAmount(QString::fromLatin1(c.typed), c.euro);
        EXPECT_EQ(p.valid, c.valid) << '"' << c.typed << "\" euro " << c.euro;
        if (c.valid) {
            ASSERT_EQ(p.value.has_value(), c.value.has_value()) << c.typed;
            if (c.value)
                EXPECT_EQ(*p.value, Money::fromDouble(*c.value)) << c.typed;
        }
    }
}

TEST(AmountText, WhatIsShownReadsBackTheSame)
{
    for (double value : {0.0, 0.01, 12.5, 1234.56, -98765.43, 9999999999999.0})
        for (bool euro : {true, false}) {
            const QString shown = formatAmount(Money::fromDouble(value), euro);
            const ParsedAmount back = parseAmount(shown, euro);
            ASSERT_TRUE(back.valid) << shown.toStdString();
            EXPECT_EQ(formatAmount(back.value.value_or(Money()), euro), shown);
        }
}

TEST(DateText, TypedDates)
{
    struct {
        const char *typed;
        bool valid;
        QDate value;
    } cases[] = {
        {"05/03/2024", true, QDate(2024, 3, 5)},
        {"5/3/2024", true, QDate(2024, 3, 5)},
        {"05032024", true, QDate(2024, 3, 5)},
        {"5/3/24", true, QDate(2024, 3, 5)},
        {"1/1/69", true, QDate(2069, 1, 1)},
        {"1/1/70", true, QDate(1970, 1, 1)},
        {"29/02/2024", true, QDate(2024, 2, 29)},
        {"29/02/2023", false, {}},
        {"31/04/2024", false, {}},
        {"2024-03-05", false, {}},
        {"oggi", false, {}},
        {"", true, {}},
    };
    for (const auto &c : cases) {
        const ParsedDate d = parseDate(QString::fromLatin1(c.typed));
        EXPECT_EQ(d.valid, c.valid) << c.typed;
        if (c.valid && c.value.isValid()) {
            ASSERT_TRUE(d.value.has_value()) << c.typed;
            EXPECT_EQ(*d.value, c.value) << c.typed;
        }
        if (c.valid && !c.value.isValid())
            EXPECT_FALSE(d.value.has_value()) << c.typed;
    }
    EXPECT_EQ(formatDate(QDate(2024, 3, 5)), u"05/03/2024"_qs);
    EXPECT_EQ(formatDate(std::nullopt), QString());
}

} // namespace
