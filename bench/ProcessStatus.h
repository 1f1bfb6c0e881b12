#pragma once

#include <string>

namespace QelBench {

// A figure of a process (this one unless `process` names another by its id)
// from /proc/<process>/status in KiB, by its key ("VmRSS:" for resident memory
// now, "VmHWM:" for its high-water mark).
long processStatusKiB(const char* key, const std::string& process = "self");

} // namespace QelBench
