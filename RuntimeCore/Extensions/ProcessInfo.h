#pragma once

#include <string>
#include <string_view>

namespace RuntimeCore {

// Facts about the processor and the machine, each read once from the system on
// first use and kept for the life of the process. A fact the machine does not
// report is empty text.
namespace ProcessInfo {

const std::string& processor(); // /proc/cpuinfo "model name"
const std::string& cores();     // distinct physical cores
const std::string& threads();   // logical processors
const std::string& vendor();    // "vendor_id"
const std::string& family();    // "cpu family"
const std::string& hwModel();   // /sys/class/dmi/id/product_name

struct CPUFacts {
    std::string processor;
    std::string cores;
    std::string threads;
    std::string vendor;
    std::string family;
};

// Reads the facts from the text of /proc/cpuinfo.
CPUFacts parseCPUInfo(std::string_view cpuinfo);

} // namespace ProcessInfo

} // namespace RuntimeCore
