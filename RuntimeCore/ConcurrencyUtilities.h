#pragma once

namespace RuntimeCore::ConcurrencyUtilities {

// The number of processors currently online, read afresh on every call.
int activeProcessorCount();

} // namespace RuntimeCore::ConcurrencyUtilities
