#pragma once
// Caps on the running process for programs that read files from anywhere on
// behalf of others (a file manager's thumbnailer): whatever a file holds, the
// process ends in bounded time and cannot take the machine's memory.

#include <cstdint>

struct ProcessLimits {
    unsigned realSeconds = 0;      // the process is ended this long after the call; 0: no limit
    unsigned processorSeconds = 0; // the process is ended after this much processor time; 0: no limit
    uint64_t memoryBytes = 0;      // allocations beyond this much address space fail; 0: no limit
};

// False when a limit could not be set. Lowering only: a limit already lower stays.
bool LimitThisProcess(const ProcessLimits& limits);
