#include "Jinja/Builtins/RandomSource.h"

namespace Jinja {

std::mt19937_64& randomEngine()
{
    thread_local std::mt19937_64 generator{std::random_device{}()};
    return generator;
}

std::size_t randomIndex(std::size_t count)
{
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(randomEngine());
}

} // namespace Jinja
