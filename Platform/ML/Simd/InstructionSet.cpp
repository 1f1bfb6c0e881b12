#include "Platform/ML/Simd/InstructionSet.h"

namespace Platform::ML {

InstructionSet widestInstructionSet()
{
#if defined(__x86_64__)
    // The processor checks include whether the system saves the wide registers.
    static const InstructionSet widest = [] {
        if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma") || !__builtin_cpu_supports("f16c"))
            return InstructionSet::Portable;
        return __builtin_cpu_supports("avx512f") ? InstructionSet::Avx512 : InstructionSet::Avx2;
    }();
    return widest;
#else
    return InstructionSet::Portable;
#endif
}

} // namespace Platform::ML
