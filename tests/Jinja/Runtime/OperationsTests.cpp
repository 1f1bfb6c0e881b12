#include "Jinja/Runtime/Operations.h"

#include "Jinja/ValueTesting.h"

#include <gtest/gtest.h>

#include <limits>

using Jinja::Value;
using JinjaTesting::outcome;

namespace {

constexpr std::int64_t int64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t int64Min = std::numeric_limits<std::int64_t>::min();

using Operation = Value (*)(const Value&, const Value&);

struct Case {
    Operation operation;
    Value left;
    Value right;
    std::string expected;
};

void expectOutcomes(const std::vector<Case>& cases)
{
    for (const auto& [operation, left, right, expected] : cases)
        EXPECT_EQ(outcome([&] { return operation(left, right); }), expected)
            << left.description() << " and " << right.description();
}

const Value array12 = Value::array({Value(1), Value(2)});

} // namespace

TEST(Operations, AddSubtractAndMultiply)
{
    expectOutcomes({
        {Jinja::add, Value(1), Value(2.5), "3.5"},
        {Jinja::add, Value("a"), Value(1), "a1"},
        {Jinja::add, Value(1), Value("a"), "1a"},
        {Jinja::add, Value(), Value("a"), "a"},
        {Jinja::add, Value::array({Value(1)}), Value::array({Value(2)}), "[1, 2]"},
        {Jinja::add, Value(true), Value(1), "error: Runtime error: Cannot add values of different types (true and 1)"},
        {Jinja::add, array12, Value::object({}),
         "error: Runtime error: Cannot add values of different types ([1, 2] and {})"},
        {Jinja::subtract, Value(5), Value(7), "-2"},
        {Jinja::subtract, Value(5), Value(0.5), "4.5"},
        {Jinja::subtract, Value("a"), Value(), "error: Runtime error: Cannot subtract non-numeric values (a and )"},
        {Jinja::multiply, Value("ab"), Value(3), "ababab"},
        {Jinja::multiply, Value(3), Value("ab"), "ababab"},
        {Jinja::multiply, Value("ab"), Value(0), ""},
        {Jinja::multiply, Value("ab"), Value(-2), ""},
        {Jinja::multiply, Value(6), Value(7), "42"},
        {Jinja::multiply, Value(2), Value(1.5), "3.0"},
        {Jinja::multiply, Value("ab"), Value(2.0),
         "error: Runtime error: Cannot multiply values of these types (ab and 2.0)"},
    });
}

TEST(Operations, DivisionPowerAndModulo)
{
    const std::string byZero = "error: Runtime error: Division by zero";
    expectOutcomes({
        {Jinja::divide, Value(7), Value(2), "3.5"},
        {Jinja::divide, Value(4), Value(2), "2.0"},
        {Jinja::divide, Value(1), Value(0), byZero},
        {Jinja::divide, Value(1.0), Value(0.0), byZero},
        {Jinja::divide, Value(1), Value(-0.0), byZero},
        {Jinja::divide, Value("1"), Value(1), "error: Runtime error: Cannot divide non-numeric values (1 and 1)"},
        {Jinja::floorDivide, Value(-7), Value(2), "-3"},
        {Jinja::floorDivide, Value(7), Value(-2), "-3"},
        {Jinja::floorDivide, Value(-7.0), Value(2), "-4"},
        {Jinja::floorDivide, Value(7), Value(2.0), "3"},
        {Jinja::floorDivide, Value(1), Value(0), byZero},
        {Jinja::power, Value(2), Value(3), "8"},
        {Jinja::power, Value(2), Value(10), "1024"},
        {Jinja::power, Value(2), Value(-2), "0.25"},
        {Jinja::power, Value(0), Value(-1), "inf"},
        {Jinja::power, Value(2.0), Value(3), "8.0"},
        {Jinja::modulo, Value(-7), Value(3), "-1"},
        {Jinja::modulo, Value(7), Value(-3), "1"},
        {Jinja::modulo, Value(7.5), Value(2), "error: Runtime error: Modulo operation requires integers (7.5 and 2)"},
        {Jinja::modulo, Value(5), Value(0), "error: Runtime error: Modulo by zero"},
        {Jinja::concatenate, Value(1), Value("a"), "1a"},
        {Jinja::concatenate, Value("a"), Value(2.0), "a2.0"},
        {Jinja::concatenate, Value(1), Value(2),
         "error: Runtime error: Cannot concatenate values of different types (1 and 2)"},
    });
    EXPECT_TRUE(Jinja::floorDivide(Value(7), Value(2.0)).isInt());
    EXPECT_TRUE(Jinja::power(Value(2), Value(3)).isInt());
}

TEST(Operations, IntResultsThatDoNotFitFailInsteadOfWrapping)
{
    const auto overflow = [](const std::string& operands) {
        return "error: Runtime error: Integer overflow (" + operands + ")";
    };
    expectOutcomes({
        {Jinja::add, Value(int64Max), Value(1), overflow("9223372036854775807 and 1")},
        {Jinja::subtract, Value(int64Min), Value(1), overflow("-9223372036854775808 and 1")},
        {Jinja::multiply, Value(int64Max), Value(2), overflow("9223372036854775807 and 2")},
        {Jinja::floorDivide, Value(int64Min), Value(-1), overflow("-9223372036854775808 and -1")},
        {Jinja::floorDivide, Value(1e300), Value(1), overflow("1e+300 and 1")},
        {Jinja::floorDivide, Value(std::numeric_limits<double>::quiet_NaN()), Value(1), overflow("nan and 1")},
        {Jinja::power, Value(2), Value(63), overflow("2 and 63")},
        {Jinja::power, Value(-2), Value(63), "-9223372036854775808"},
        {Jinja::modulo, Value(int64Min), Value(-1), "0"},
        {Jinja::add, Value(int64Max), Value(1.0), "9.223372036854776e+18"},
    });
}

TEST(Operations, ResultsPastTheSizeBoundFail)
{
    const std::string tooLarge = "error: Runtime error: Result too large";
    expectOutcomes({
        {Jinja::multiply, Value("ab"), Value(1'000'000'000), tooLarge},
        {Jinja::multiply, Value("ab"), Value(int64Max), tooLarge},
    });
    const Value half(std::string(std::size_t(1) << 27, 'x'));
    const Value more = Jinja::add(half, Value("y"));
    EXPECT_EQ(outcome([&] { return Jinja::add(half, more); }), tooLarge);
    EXPECT_EQ(outcome([&] { return Jinja::concatenate(more, half); }), tooLarge);
    const Value many(Jinja::Array(5'000'001, Value(1)));
    EXPECT_EQ(outcome([&] { return Jinja::add(many, many); }), tooLarge);
}

TEST(Operations, Comparison)
{
    EXPECT_EQ(Jinja::compare(Value(1), Value(1.0)), 0);
    EXPECT_EQ(Jinja::compare(Value(1), Value(2.5)), -1);
    EXPECT_EQ(Jinja::compare(Value(std::numeric_limits<double>::quiet_NaN()), Value(1)), 0);
    EXPECT_EQ(Jinja::compare(Value("a"), Value("b")), -1);
    EXPECT_EQ(Jinja::compare(Value("b"), Value("a")), 1);
    EXPECT_EQ(Jinja::compare(Value("caf\u00e9"), Value("cafe\u0301")), 0);
    EXPECT_EQ(outcome([] { return Value(Jinja::compare(Value(true), Value(false))); }),
              "error: Runtime error: Cannot compare values of different types (true and false)");
    EXPECT_EQ(outcome([] { return Value(Jinja::compare(Value("1"), Value(1))); }),
              "error: Runtime error: Cannot compare values of different types (1 and 1)");
}

TEST(Operations, Membership)
{
    const Value object = Value::object({{"b", Value(1)}});
    const struct {
        Value needle;
        Value container;
        bool contained;
    } cases[] = {
        {Value("b"), object, true},
        {Value(1), object, false},
        {Value(""), Value("abc"), true},
        {Value("ell"), Value("hello"), true},
        {Value("e\u0301"), Value("caf\u00e9"), true},
        {Value(1), Value("1"), false},
        {Value(1), Value::array({Value(1.0)}), false},
        {Value(true), Value::array({Value(1)}), false},
        {Value::array({Value(1)}), Value::array({Value::array({Value(1)})}), true},
        {Value(), Value::array({Value::undefined()}), false},
        {Value(), Value::array({Value()}), true},
        {Value(1), Value(), false},
        {Value(1), Value::undefined(), false},
    };
    for (const auto& [needle, container, contained] : cases)
        EXPECT_EQ(Jinja::isContained(needle, container), contained)
            << needle.description() << " in " << container.description();
    EXPECT_EQ(outcome([] { return Value(Jinja::isContained(Value(1), Value(5))); }),
              "error: Runtime error: 'in' operator requires iterable on right side (5)");
}
