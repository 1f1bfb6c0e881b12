#include "RuntimeCore/Extensions/ProcessInfo.h"

#include <fstream>
#include <set>
#include <sstream>
#include <utility>

namespace RuntimeCore::ProcessInfo {

namespace {

std::string readFile(const char* path)
{
    std::ifstream file(path);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

std::string_view trimmed(std::string_view text)
{
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

const CPUFacts& cpuFacts()
{
    static const CPUFacts facts = parseCPUInfo(readFile("/proc/cpuinfo"));
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
    static const std::string model(trimmed(readFile("/sys/class/dmi/id/product_name")));
    return model;
}

} // namespace RuntimeCore::ProcessInfo
