#include "ThumbnailerTool.h"

#include "platform/ResourceLimits.h"

#include <iostream>

int main(int argc, char** argv)
{
    // File managers run thumbnailers on whatever lies in a folder: a hostile
    // or broken book ends in bounded time and memory, never stalls the caller.
    ProcessLimits limits;
    limits.realSeconds = kThumbnailerRealSeconds;
    limits.processorSeconds = kThumbnailerProcessorSeconds;
    limits.memoryBytes = kThumbnailerMemoryBytes;
    LimitThisProcess(limits);
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunThumbnailer(args, std::cerr);
}
