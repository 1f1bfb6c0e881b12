#pragma once

#include "Platform/ML/Simd/InstructionSet.h"

#include <vector>

namespace Platform::ML {

// Every instruction set this processor runs, narrowest first: a kernel is
// checked on each, not only on the one the library picks here.
inline std::vector<InstructionSet> supportedInstructionSets()
{
    std::vector<InstructionSet> sets;
    for (auto set : {InstructionSet::Portable, InstructionSet::Avx2, InstructionSet::Avx512})
        if (set <= widestInstructionSet())
            sets.push_back(set);
    return sets;
}

inline const char* instructionSetName(InstructionSet set)
{
    switch (set) {
    case InstructionSet::Avx2: return "AVX2";
    case InstructionSet::Avx512: return "AVX-512";
    default: return "portable";
    }
}

} // namespace Platform::ML
