#include "RuntimeCore/ConcurrencyUtilities.h"

#include <unistd.h>

namespace RuntimeCore::ConcurrencyUtilities {

int activeProcessorCount()
{
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int>(count) : 1;
}

} // namespace RuntimeCore::ConcurrencyUtilities
