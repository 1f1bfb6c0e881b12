#include "RuntimeCore/Extensions/ProcessInfo.h"

#include "Platform/Files/ReadFile.h"
#include "Platform/Text/CharacterSets.h"

#include <set>
#include <utility>

namespace RuntimeCore::ProcessInfo {

namespace {

// The text of a system file; empty where the machine does not have it.
std::string systemFile(const char* path)
{
    try {
        return Platform::readFile(path);
    } catch (const Platform::FileReadError&) {
        return {};
    }
}

std::string_view trimmed(std::string_view text)
{
    return Platform::trimming(text, Platform::CharacterSet::whitespacesAndNewlines);
}

const CPUFacts& cpuFacts()
{
    static const CPUFacts facts = parseCPUInfo(systemFile("/proc/cpuinfo"));
    return facts;
}

} // namespace

CPUFacts parseCPUInfo(std::string_view cpuinfo)
{
    CPUFacts facts;
    int logicalProcessors = 0;
    std::set<std::pair<std::string, std::string>> physicalCores;
    std::string physicalID;
    while (!cpuinfo.empty()) {
        size_t end = cpuinfo.find('\n');
        std::string_view line = cpuinfo.substr(0, end);
        cpuinfo.remove_prefix(end == std::string_view::npos ? cpuinfo.size() : end + 1);
        size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view key = trimmed(line.substr(0, colon));
        std::string value(trimmed(line.substr(colon + 1)));
        if (key == "processor") {
            ++logicalProcessors;
            physicalID.clear();
        } else if (key == "physical id") {
            physicalID = value;
        } else if (key == "core id") {
            physicalCores.emplace(physicalID, value);
        } else if (key == "model name" && facts.processor.empty()) {
            facts.processor = value;
        } else if (key == "vendor_id" && facts.vendor.empty()) {
            facts.vendor = value;
        } else if (key == "cpu family" && facts.family.empty()) {
            facts.family = value;
        }
    }
    if (logicalProcessors > 0) {
        facts.threads = std::to_string(logicalProcessors);
        // Without core identifiers (many ARM kernels) each processor counts as a core.
        facts.cores = std::to_string(physicalCores.empty() ? static_cast<size_t>(logicalProcessors)
                                                           : physicalCores.size());
    }
    return facts;
}

const std::string& processor() { return cpuFacts().processor; }
const std::string& cores() { return cpuFacts().cores; }
const std::string& threads() { return cpuFacts().threads; }
const std::string& vendor() { return cpuFacts().vendor; }
const std::string& family() { return cpuFacts().family; }

const std::string& hwModel()
{
    static const std::string model(trimmed(systemFile("/sys/class/dmi/id/product_name")));
    return model;
}

} // namespace RuntimeCore::ProcessInfo
