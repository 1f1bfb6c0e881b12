#pragma once

// The unary and binary operators of expressions, each with the text that
// writes it, read both ways.

#include "Platform/EnumNames.h"

#include <string_view>

namespace Jinja {

// Operators named by C++ keywords carry a trailing underscore.
enum class UnaryOp { not_, minus, plus, splat };

enum class BinaryOp {
    add,
    subtract,
    multiply,
    divide,
    floorDivide,
    power,
    modulo,
    concat,
    equal,
    notEqual,
    less,
    lessEqual,
    greater,
    greaterEqual,
    and_,
    or_,
    in,
    notIn,
};

inline constexpr Platform::EnumNames unaryOpTexts{std::array{
    std::pair{UnaryOp::not_, std::string_view("not")},
    std::pair{UnaryOp::minus, std::string_view("-")},
    std::pair{UnaryOp::plus, std::string_view("+")},
    std::pair{UnaryOp::splat, std::string_view("*")},
}};

inline constexpr Platform::EnumNames binaryOpTexts{std::array{
    std::pair{BinaryOp::add, std::string_view("+")},
    std::pair{BinaryOp::subtract, std::string_view("-")},
    std::pair{BinaryOp::multiply, std::string_view("*")},
    std::pair{BinaryOp::divide, std::string_view("/")},
    std::pair{BinaryOp::floorDivide, std::string_view("//")},
    std::pair{BinaryOp::power, std::string_view("**")},
    std::pair{BinaryOp::modulo, std::string_view("%")},
    std::pair{BinaryOp::concat, std::string_view("~")},
    std::pair{BinaryOp::equal, std::string_view("==")},
    std::pair{BinaryOp::notEqual, std::string_view("!=")},
    std::pair{BinaryOp::less, std::string_view("<")},
    std::pair{BinaryOp::lessEqual, std::string_view("<=")},
    std::pair{BinaryOp::greater, std::string_view(">")},
    std::pair{BinaryOp::greaterEqual, std::string_view(">=")},
    std::pair{BinaryOp::and_, std::string_view("and")},
    std::pair{BinaryOp::or_, std::string_view("or")},
    std::pair{BinaryOp::in, std::string_view("in")},
    std::pair{BinaryOp::notIn, std::string_view("not in")},
}};

} // namespace Jinja
