// The version and edition records read back from a file: setup reads them
// from every file a package brings before it replaces an installed one, so
// the bytes are anyone's. A version found has four parts of 0..65535; the
// file is read in pieces, so inputs are spread past a piece boundary too.

#include "platform/EditionRecord.h"
#include "platform/VersionRecord.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string& ScratchFile()
{
    static const std::string path = [] {
        // In memory where the machine has it: every input writes files, and a
        // disk's journal would set the pace.
        std::string where = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string made = where + "/fuzz-version-record-XXXXXX";
        char* pattern = made.data();
        int fd = mkstemp(pattern);
        if (fd < 0)
            std::abort();
        close(fd);
        return std::string(pattern);
    }();
    return path;
}

void Check(const std::string& bytes)
{
    {
        std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    VersionNumbers version;
    if (ReadVersionRecord(ScratchFile(), version)) {
        for (int part : {version.major, version.minor, version.build, version.revision})
            if (part < 0 || part > 65535)
                std::abort();
        if (FormatVersion(version).size() > 23)
            std::abort();
    }
    (void)ReadViewerEdition(ScratchFile());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    Check(bytes);
    // For some inputs, the same bytes straddling the boundary of the pieces
    // the file is read in (every input would halve the rate).
    if (size % 4 == 0)
        Check(std::string(65536 - size / 2, 'z') + bytes);
    return 0;
}
