#include "platform/ResourceLimits.h"

#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define CORVALE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVALE_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

bool Lower(int resource, rlim_t soft, rlim_t hard)
{
    struct rlimit current;
    if (getrlimit(resource, &current) != 0)
        return false;
    if (current.rlim_max != RLIM_INFINITY && current.rlim_max < hard)
        hard = current.rlim_max;
    if (soft > hard)
        soft = hard;
    if (current.rlim_cur != RLIM_INFINITY && current.rlim_cur < soft)
        soft = current.rlim_cur;
    struct rlimit wanted = {soft, hard};
    return setrlimit(resource, &wanted) == 0;
}

} // namespace

bool LimitThisProcess(const ProcessLimits& limits)
{
    bool ok = true;
    // SIGALRM and SIGXCPU end the process by default; nothing here catches them.
    if (limits.realSeconds)
        alarm(limits.realSeconds);
    // The hard limit a second later kills outright a process that ignores SIGXCPU.
    if (limits.processorSeconds)
        ok &= Lower(RLIMIT_CPU, limits.processorSeconds, limits.processorSeconds + 1);
#ifndef CORVALE_ADDRESS_SANITIZER
    // AddressSanitizer reserves terabytes of address space for its shadow
    // memory; under it the memory cap is left to the sanitizer's own limits.
    if (limits.memoryBytes)
        ok &= Lower(RLIMIT_AS, static_cast<rlim_t>(limits.memoryBytes),
                    static_cast<rlim_t>(limits.memoryBytes));
#endif
    return ok;
}
