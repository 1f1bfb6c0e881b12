#pragma once

// What the set algebra knows about its operands: which collections hold
// distinct elements, and which of them answer membership without a scan.

#include "OrderedCollections/OrderedSet/OrderedSet.h"

#include <concepts>
#include <map>
#include <optional>
#include <ranges>
#include <set>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

namespace OrderedCollections {

// Collections whose elements are pairwise distinct.
template <class Collection>
inline constexpr bool isUniqueCollection = false;
template <class Element>
inline constexpr bool isUniqueCollection<OrderedSet<Element>> = true;
template <class Element>
inline constexpr bool isUniqueCollection<OrderedSetSlice<Element>> = true;
template <class Element>
inline constexpr bool isUniqueCollection<OrderedSetUnorderedView<Element>> = true;
template <class Element, class Hash, class Equal, class Allocator>
inline constexpr bool isUniqueCollection<std::unordered_set<Element, Hash, Equal, Allocator>> = true;
template <class Element, class Less, class Allocator>
inline constexpr bool isUniqueCollection<std::set<Element, Less, Allocator>> = true;

namespace detail {

template <class Map>
inline constexpr bool isStandardMap = false;
template <class Key, class Value, class Less, class Allocator>
inline constexpr bool isStandardMap<std::map<Key, Value, Less, Allocator>> = true;
template <class Key, class Value, class Hash, class Equal, class Allocator>
inline constexpr bool isStandardMap<std::unordered_map<Key, Value, Hash, Equal, Allocator>> = true;

// std::views::keys over a standard map.
template <class View>
inline constexpr bool isMapKeys = false;
template <class Map>
inline constexpr bool isMapKeys<std::ranges::elements_view<std::ranges::ref_view<Map>, 0>> =
    isStandardMap<std::remove_const_t<Map>>;

} // namespace detail

template <class Map>
inline constexpr bool isUniqueCollection<std::ranges::elements_view<std::ranges::ref_view<Map>, 0>> =
    detail::isMapKeys<std::ranges::elements_view<std::ranges::ref_view<Map>, 0>>;

// A collection of distinct elements that tells membership and its size directly.
template <class Collection, class Element>
concept SetOperand = isUniqueCollection<std::remove_cvref_t<Collection>> &&
    std::ranges::sized_range<const Collection> &&
    (detail::isMapKeys<std::remove_cvref_t<Collection>> || requires(const Collection& c, const Element& x) {
        {
            c.contains(x)
            } -> std::convertible_to<bool>;
    });

namespace detail {

template <class Element, SetOperand<Element> Collection>
bool operandContains(const Collection& collection, const Element& item)
{
    if constexpr (isMapKeys<std::remove_cvref_t<Collection>>)
        return collection.base().base().contains(item);
    else
        return collection.contains(item);
}

} // namespace detail

// Whether the collection holds the element, when it can tell without a scan;
// none for plain ranges.
template <class Collection, class Element>
std::optional<bool> fastContains(const Collection& collection, const Element& item)
{
    if constexpr (SetOperand<Collection, Element>)
        return detail::operandContains(collection, item);
    else
        return std::nullopt;
}

} // namespace OrderedCollections
