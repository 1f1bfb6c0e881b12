#pragma once

// The text form of a template number, the same in every locale.

#include <string>

namespace Jinja {

// The shortest text that reads back as the same double: positional for
// magnitudes from 0.0001 to 2^53 with ".0" on integral values, exponent
// notation with a signed two-digit exponent beyond ("1e-05", "1.5e+16").
std::string doubleText(double number);

} // namespace Jinja
