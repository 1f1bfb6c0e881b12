#pragma once

namespace RuntimeCore::ConcurrencyUtilities {

// The number of processors this process may run on (Platform::processorCount(),
// which the thread pools size themselves by), read afresh on every call.
int activeProcessorCount();

} // namespace RuntimeCore::ConcurrencyUtilities
