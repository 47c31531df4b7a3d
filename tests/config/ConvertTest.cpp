#include "config/Convert.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace trouvel::config;

namespace {

enum class Outcome { Value, Mismatch, Overflow };

struct Int16Case {
    const char* name;
    QString text;
    Outcome outcome;
    int value = 0;
};

void PrintTo(const Int16Case& c, std::ostream* os) { *os << c.name; }

class ToInt16 : public ::testing::TestWithParam<Int16Case> {};

TEST_P(ToInt16, FollowsTheConversionRules)
{
    const Int16Case& c = GetParam();
    switch (c.outcome) {
    case Outcome::Value:
        EXPECT_EQ(toInt16(c.text), c.value);
        EXPECT_EQ(tryToInt16(c.text), std::optional<std::int16_t>(c.value));
        break;
    case Outcome::Mismatch:
    case Outcome::Overflow:
        try {
            toInt16(c.text);
            ADD_FAILURE() << "no error";
        } catch (const ConversionError& e) {
            EXPECT_STREQ(e.what(), c.outcome == Outcome::Mismatch ? "type mismatch" : "overflow");
        }
        EXPECT_FALSE(tryToInt16(c.text).has_value());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToInt16,
    ::testing::Values(
        Int16Case{"zero", "0", Outcome::Value, 0}, Int16Case{"blanks_around", " \t12 ", Outcome::Value, 12},
        Int16Case{"plus", "+7", Outcome::Value, 7}, Int16Case{"minus", "-1", Outcome::Value, -1},
        Int16Case{"leading_zeros", "007", Outcome::Value, 7},
        Int16Case{"half_down_to_even", "2.5", Outcome::Value, 2}, Int16Case{"half_up_to_even", "3.5", Outcome::Value, 4},
        Int16Case{"half_zero", "0.5", Outcome::Value, 0}, Int16Case{"negative_half", "-2.5", Outcome::Value, -2},
        Int16Case{"below_half", "2.49", Outcome::Value, 2}, Int16Case{"above_half", "2.51", Outcome::Value, 3},
        Int16Case{"fraction_only", ".5", Outcome::Value, 0}, Int16Case{"trailing_point", "5.", Outcome::Value, 5},
        Int16Case{"exponent", "1e3", Outcome::Value, 1000}, Int16Case{"max", "32767", Outcome::Value, 32767},
        Int16Case{"min", "-32768", Outcome::Value, -32768},
        Int16Case{"min_half_rounds_to_even", "-32768.5", Outcome::Value, -32768},
        Int16Case{"max_half_overflows", "32767.5", Outcome::Overflow}, Int16Case{"above_max", "32768", Outcome::Overflow},
        Int16Case{"below_min", "-32769", Outcome::Overflow}, Int16Case{"huge", "99999999999999999999", Outcome::Overflow},
        Int16Case{"huge_exponent", "1e999", Outcome::Overflow}, Int16Case{"empty", "", Outcome::Mismatch},
        Int16Case{"blanks_only", "  ", Outcome::Mismatch}, Int16Case{"letters", "abc", Outcome::Mismatch},
        Int16Case{"trailing_letters", "12abc", Outcome::Mismatch}, Int16Case{"inner_blank", "1 2", Outcome::Mismatch},
        Int16Case{"sign_only", "-", Outcome::Mismatch}, Int16Case{"point_only", ".", Outcome::Mismatch},
        Int16Case{"exponent_without_digits", "1e", Outcome::Mismatch}, Int16Case{"hex", "0x10", Outcome::Mismatch},
        Int16Case{"infinity", "inf", Outcome::Mismatch}, Int16Case{"nan", "nan", Outcome::Mismatch},
        Int16Case{"comma", "1,5", Outcome::Mismatch}, Int16Case{"two_signs", "+-1", Outcome::Mismatch}),
    [](const ::testing::TestParamInfo<Int16Case>& info) { return std::string(info.param.name); });

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const std::pair<double, double> rows[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},     {-0.5, 0},     {-1.5, -2},
                                              {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {1e300, 1e300}, {-3.0, -3}};
    for (const auto& [in, out] : rows)
        EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(ToNumber, NumbersAndNonNumbers)
{
    EXPECT_EQ(toNumber(" -1.25 "), -1.25);
    EXPECT_EQ(toNumber("2E2"), 200.0);
    EXPECT_FALSE(toNumber("").has_value());
    EXPECT_FALSE(toNumber("1.2.3").has_value());
    EXPECT_FALSE(toNumber("infinity").has_value());
}

} // namespace
