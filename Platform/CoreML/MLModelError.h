#pragma once

#include <stdexcept>

namespace Platform::CoreML {

// A model that cannot be loaded, or a prediction that cannot run on the inputs
// given; what() names the problem.
class MLModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Platform::CoreML
