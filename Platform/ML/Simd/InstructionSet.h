#pragma once

namespace Platform::ML {

// The vector instructions a kernel may use, from none to the widest. Kernels
// choose at run time rather than through ifunc resolvers, which run before
// some sanitizers are ready.
enum class InstructionSet {
    Portable,
    Avx2,   // AVX2 with FMA and the half-precision conversions (F16C)
    Avx512, // the above and AVX-512F: sixteen halves widened in one instruction
};

// The widest set this processor and system support, found once.
InstructionSet widestInstructionSet();

} // namespace Platform::ML
