#include "bench/ProcessStatus.h"

#include <fstream>
#include <stdexcept>

namespace QelBench {

long processStatusKiB(const char* key, const std::string& process)
{
    const std::string path = "/proc/" + process + "/status";
    std::ifstream status(path);
    std::string field;
    while (status >> field) {
        if (field == key) {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 16, '\n');
    }
    throw std::runtime_error(std::string("No ") + key + " in " + path);
}

} // namespace QelBench
