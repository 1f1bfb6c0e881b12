#pragma once

// An ordered dictionary in JSON: one flat array alternating keys and values
// (key0, value0, key1, value1, ...), which keeps the order for any key type.
// A repeated key, or a key without a value, is refused.

#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"
#include "Platform/JSON/JSONCoding.h"

#include <string>

template <class Key, class Value>
struct Platform::JSON::Coding<OrderedCollections::OrderedDictionary<Key, Value>> {
    static rapidjson::Value encode(const OrderedCollections::OrderedDictionary<Key, Value>& dictionary,
                                   Allocator& allocator)
    {
        rapidjson::Value array(rapidjson::kArrayType);
        array.Reserve(static_cast<rapidjson::SizeType>(2 * dictionary.size()), allocator);
        for (const auto& [key, value] : dictionary) {
            array.PushBack(JSON::encode(key, allocator), allocator);
            array.PushBack(JSON::encode(value, allocator), allocator);
        }
        return array;
    }

    static OrderedCollections::OrderedDictionary<Key, Value> decode(const rapidjson::Value& json)
    {
        if (!json.IsArray())
            throw DecodingError("Expected an array");
        const auto items = json.GetArray();
        OrderedCollections::OrderedDictionary<Key, Value> dictionary;
        for (rapidjson::SizeType position = 0; position < items.Size(); position += 2) {
            Key key = decodingAt(std::to_string(position), [&] { return JSON::decode<Key>(items[position]); });
            const auto found = dictionary.keys()._find(key);
            if (found.index)
                throw DecodingError("Duplicate key at offset " + std::to_string(position));
            if (position + 1 == items.Size())
                throw DecodingError("Unkeyed container reached end before value in key-value pair");
            Value value =
                decodingAt(std::to_string(position + 1), [&] { return JSON::decode<Value>(items[position + 1]); });
            dictionary._appendNew(key, std::move(value), found.bucket);
        }
        return dictionary;
    }
};
