#include "Platform/ErrorCauses.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

struct CustomError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws "outer", which nests "middle", which nests "inner".
[[noreturn]] void throwChain()
{
    try {
        try {
            throw std::invalid_argument("inner");
        } catch (const std::exception&) {
            std::throw_with_nested(CustomError("middle"));
        }
    } catch (const std::exception&) {
        std::throw_with_nested(std::runtime_error("outer"));
    }
}

} // namespace

TEST(ErrorCauses, AnErrorThrownInPlaceOfAnotherKeepsItAndItsOwnCause)
{
    try {
        throwChain();
    } catch (const std::exception& error) {
        std::vector<std::string> chain;
        Platform::forEachCause(error, [&](const std::exception& each) { chain.push_back(each.what()); });
        EXPECT_EQ(chain, (std::vector<std::string>{"outer", "middle", "inner"}));
        EXPECT_EQ(Platform::describingCauses(error), "outer (because: middle; inner)");
        EXPECT_EQ(Platform::describingCauses(error,
                                             [](const std::exception& each) {
                                                 const bool custom = dynamic_cast<const CustomError*>(&each);
                                                 return std::string(custom ? "custom " : "") + each.what();
                                             }),
                  "outer (because: custom middle; inner)");
    }
}

TEST(ErrorCauses, AnErrorWithoutACauseIsItsOwnDescription)
{
    const std::runtime_error alone("alone");
    EXPECT_EQ(Platform::describingCauses(alone), "alone");
    try {
        try {
            throw 42;
        } catch (...) {
            std::throw_with_nested(std::runtime_error("over something that is no std::exception"));
        }
    } catch (const std::exception& error) {
        EXPECT_EQ(Platform::describingCauses(error), "over something that is no std::exception");
    }
}
