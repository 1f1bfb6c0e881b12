#include "Jinja/Runtime/Slicing.h"

#include "Jinja/JinjaError.h"
#include "Jinja/Text/Characters.h"

#include <algorithm>

namespace Jinja {

namespace {

using Wide = __int128;

// Which positions a slice takes: from `first`, `count` of them `step` apart.
struct Walk {
    Wide first = 0;
    Wide count = 0;
    Wide step = 1;
};

// Bounds count from the end when negative (once) and are then not clamped:
// the walk from start towards stop takes the positions that lie inside the
// sequence. It jumps straight to the first such position and stops at the
// last, so a bound far outside costs nothing.
Walk walkOf(std::size_t size, const Value& startValue, const Value& stopValue, Wide step)
{
    const Wide n = static_cast<Wide>(size);
    auto bound = [&](const Value& value, Wide fallback) -> Wide {
        if (!value.isInt())
            return fallback;
        const Wide position = value.asInt();
        return position < 0 ? position + n : position;
    };
    const Wide start = bound(startValue, step < 0 ? n - 1 : 0);
    const Wide stop = bound(stopValue, step < 0 ? -1 : n);
    Walk walk{.step = step};
    if (step > 0) {
        const Wide first = start >= 0 ? start : start + (-start + step - 1) / step * step;
        const Wide end = std::min(stop, n);
        walk.first = first;
        walk.count = first < end ? (end - first + step - 1) / step : 0;
    } else {
        const Wide stride = -step;
        const Wide first = start <= n - 1 ? start : start - (start - (n - 1) + stride - 1) / stride * stride;
        const Wide end = std::max<Wide>(stop, -1);
        walk.first = first;
        walk.count = first > end ? (first - end + stride - 1) / stride : 0;
    }
    return walk;
}

template <class Take>
void forEachPosition(const Walk& walk, Take&& take)
{
    for (Wide index = 0; index < walk.count; ++index)
        take(static_cast<std::size_t>(walk.first + index * walk.step));
}

} // namespace

Value elementAt(const Value& sequence, std::int64_t index)
{
    if (sequence.isArray()) {
        const Array& elements = sequence.asArray();
        const Wide position = index < 0 ? Wide(index) + Wide(elements.size()) : Wide(index);
        if (position < 0 || position >= Wide(elements.size()))
            return Value::undefined();
        return elements[static_cast<std::size_t>(position)];
    }
    const Characters characters(sequence.asString().utf8());
    const Wide position = index < 0 ? Wide(index) + Wide(characters.size()) : Wide(index);
    if (position < 0 || position >= Wide(characters.size()))
        return Value::undefined();
    return Value(characters[static_cast<std::size_t>(position)]);
}

Value sliced(const Value& sequence, const Value& start, const Value& stop, const Value& stepValue)
{
    if (stepValue.isInt() && stepValue.asInt() == 0)
        throw JinjaError(JinjaError::Kind::runtime, "Slice step cannot be zero");
    const Wide step = stepValue.isInt() ? stepValue.asInt() : 1;
    if (sequence.isArray()) {
        const Array& elements = sequence.asArray();
        const Walk walk = walkOf(elements.size(), start, stop, step);
        Array result;
        result.reserve(static_cast<std::size_t>(walk.count));
        forEachPosition(walk, [&](std::size_t position) { result.push_back(elements[position]); });
        return Value(std::move(result));
    }
    if (sequence.isString()) {
        const Characters characters(sequence.asString().utf8());
        const Walk walk = walkOf(characters.size(), start, stop, step);
        std::string result;
        forEachPosition(walk, [&](std::size_t position) { result += characters[position]; });
        return Value(std::move(result));
    }
    throw JinjaError(JinjaError::Kind::runtime, "Slice requires array or string");
}

} // namespace Jinja
