#pragma once

// Reading and writing whole JSON documents from and to text, safe for files
// that anyone may have written: nesting is limited and nothing recurses with
// the depth of the input.

#include <cstddef>
#include <rapidjson/document.h>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Platform::JSON {

// Text that is not a JSON document. what() is the problem followed by
// " at offset N", the byte where it was found; code() is the reader's error
// code (rapidjson::ParseErrorCode) and problem() its bare message.
class ParseError : public std::runtime_error {
public:
    ParseError(unsigned code, const std::string& problem, std::size_t offset);
    unsigned code() const { return code_; }
    const std::string& problem() const { return problem_; }
    std::size_t offset() const { return offset_; }

private:
    unsigned code_;
    std::string problem_;
    std::size_t offset_;
};

// A value that cannot be written as JSON: a number that is not finite, where
// such numbers are not allowed. what() names where the number lies, as
// segments[0].avgLogprob.
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Far deeper than any document the program reads, shallow enough for any
// code that walks a document recursively.
inline constexpr std::size_t defaultMaxDepth = 256;

struct ParseOptions {
    // Accept NaN, Infinity and -Infinity as numbers.
    bool allowNanAndInfinity = false;
    // Objects and arrays nested deeper than this are refused.
    std::size_t maxDepth = defaultMaxDepth;
    // Refuse text that is not valid UTF-8 instead of passing its bytes on.
    bool requireValidUTF8 = false;
    // Read decimal numbers exactly to the nearest double, at some cost in speed.
    bool fullPrecision = false;
};

// Parses a whole document (one value with nothing but white space after it)
// without recursion. Throws ParseError.
rapidjson::Document parseDocument(std::string_view text, const ParseOptions& options = {});

struct WriteOptions {
    // Write non-finite numbers as NaN, Infinity and -Infinity; otherwise they
    // are refused.
    bool allowNanAndInfinity = false;
    // One member or element a line, each level indented by two more spaces,
    // for files that people read; otherwise the compact form.
    bool indented = false;
};

// The text of a value of any depth, written without recursion.
// Throws WriteError.
std::string serialize(const rapidjson::Value& value, const WriteOptions& options = {});

} // namespace Platform::JSON
