#pragma once

// Reads a JSON document (a configuration or tokenizer file) into a
// configuration value in one pass over the parsed tree.

#include "Hub/Config/Config.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Hub::YYJSONParser {

class ParseError : public std::runtime_error {
public:
    enum class Kind { readFailed, nullDocument };

    // The reader's error code and message, and the byte offset where it stopped.
    static ParseError readFailed(std::uint32_t code, const std::string& message, std::int64_t position);
    // A document without a root value.
    static ParseError nullDocument();

    Kind kind() const { return kind_; }
    std::uint32_t code() const { return code_; }
    const std::string& message() const { return message_; }
    std::int64_t position() const { return position_; }

private:
    ParseError(Kind kind, const std::string& description, std::uint32_t code, std::string message,
               std::int64_t position);

    Kind kind_;
    std::uint32_t code_;
    std::string message_;
    std::int64_t position_;
};

// Objects become dictionaries keyed by their members' UTF-16 code units (a
// repeated member keeps its last value), arrays arrays, strings texts up to
// their first NUL, integers that fit 64 signed bits integers, larger ones and
// all other numbers (NaN and Infinity included) 32-bit floats, true and false
// Booleans. Anything but one valid UTF-8 document without comments or trailing
// commas, nested at most 256 levels deep, throws ParseError.
Config parseToConfig(std::string_view data);

} // namespace Hub::YYJSONParser
