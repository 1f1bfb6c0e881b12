#pragma once

namespace Platform {

// The processors this thread may run on: the online processors, narrowed by
// any affinity mask the process was started with (taskset, a container's CPU
// set). At least 1. Thread pools size themselves by it, so a process confined
// to two cores does not run a thread for each core of the machine.
int processorCount();

} // namespace Platform
