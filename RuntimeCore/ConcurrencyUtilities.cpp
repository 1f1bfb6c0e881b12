#include "RuntimeCore/ConcurrencyUtilities.h"

#include "Platform/Concurrency/ProcessorCount.h"

namespace RuntimeCore::ConcurrencyUtilities {

int activeProcessorCount()
{
    return Platform::processorCount();
}

} // namespace RuntimeCore::ConcurrencyUtilities
