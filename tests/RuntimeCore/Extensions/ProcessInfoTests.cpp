#include "RuntimeCore/Extensions/ProcessInfo.h"

#include "RuntimeCore/ConcurrencyUtilities.h"

#include <gtest/gtest.h>

#include <string>

using namespace RuntimeCore;

TEST(ProcessInfo, ReadsProcessorFactsFromCpuinfo)
{
    const char* twoCoresFourThreads = R"(processor	: 0
vendor_id	: GenuineIntel
cpu family	: 6
model name	: Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz
physical id	: 0
core id		: 0

processor	: 1
vendor_id	: GenuineIntel
physical id	: 0
core id		: 1

processor	: 2
physical id	: 0
core id		: 0

processor	: 3
physical id	: 0
core id		: 1
)";
    auto facts = ProcessInfo::parseCPUInfo(twoCoresFourThreads);
    EXPECT_EQ(facts.processor, "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz");
    EXPECT_EQ(facts.vendor, "GenuineIntel");
    EXPECT_EQ(facts.family, "6");
    EXPECT_EQ(facts.cores, "2");
    EXPECT_EQ(facts.threads, "4");

    auto armFacts = ProcessInfo::parseCPUInfo("processor\t: 0\nBogoMIPS\t: 48.00\n\nprocessor\t: 1\n");
    EXPECT_EQ(armFacts.cores, "2");
    EXPECT_EQ(armFacts.threads, "2");
    EXPECT_EQ(armFacts.processor, "");

    // The machine's processors, of which this process may be confined to some (taskset).
    EXPECT_GE(std::stoi(ProcessInfo::threads()), ConcurrencyUtilities::activeProcessorCount());
}
