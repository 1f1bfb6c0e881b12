#pragma once

// An ordered set in JSON: the array of its elements in order. An array with a
// repeated element is refused rather than silently shortened.

#include "OrderedCollections/OrderedSet/OrderedSet.h"
#include "Platform/JSON/JSONCoding.h"

#include <string>
#include <vector>

template <class Element>
struct Platform::JSON::Coding<OrderedCollections::OrderedSet<Element>> {
    static rapidjson::Value encode(const OrderedCollections::OrderedSet<Element>& set, Allocator& allocator)
    {
        return Coding<std::vector<Element>>::encode(set.elements(), allocator);
    }
    static OrderedCollections::OrderedSet<Element> decode(const rapidjson::Value& json)
    {
        auto elements = Coding<std::vector<Element>>::decode(json);
        auto [table, end] =
            OrderedCollections::detail::createUntilFirstDuplicate(std::span<const Element>(elements), std::nullopt, 0);
        if (end != static_cast<std::ptrdiff_t>(elements.size()))
            throw DecodingError("Decoded elements aren't unique (first duplicate at offset " + std::to_string(end) +
                                ")");
        return OrderedCollections::OrderedSet<Element>::_init(std::move(elements), std::move(table));
    }
};
