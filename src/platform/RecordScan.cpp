#include "platform/RecordScan.h"

#include "platform/FileSystem.h"
#include "platform/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

// Fills `buffer` unless the file ends (or fails) first; the bytes read.
size_t ReadFull(const UniqueFd& file, char* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        ssize_t n = file.Read(buffer + done, count - done);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

} // namespace

bool ScanFileForRecord(const std::string& path, std::string_view marker, size_t bodyLength,
                       const std::function<bool(std::string_view body)>& accept)
{
    if (marker.empty())
        return false;
    // The files scanned are other people's (a package's, an installation's).
    UniqueFd file(OpenRegularFileForReading(path));
    if (!file.IsOpen())
        return false;
    // Each piece keeps the tail of the one before, long enough for a record
    // that straddles the two.
    const size_t keep = marker.size() + bodyLength;
    const size_t kPiece = size_t(1) << 16;
    std::vector<char> bytes;
    for (;;) {
        size_t kept = bytes.size();
        bytes.resize(kept + kPiece);
        size_t got = ReadFull(file, bytes.data() + kept, kPiece);
        bytes.resize(kept + got);
        bool atEnd = got < kPiece;
        // Only where the body after a marker is complete (or the file ends).
        size_t scanEnd = atEnd ? bytes.size() : (bytes.size() > keep ? bytes.size() - keep : 0);
        // memchr finds candidates far faster than a byte loop: program files are large.
        const char* data = bytes.data();
        for (size_t i = 0; i < scanEnd && i + marker.size() <= bytes.size(); ++i) {
            const void* hit = std::memchr(data + i, marker[0], scanEnd - i);
            if (!hit)
                break;
            i = static_cast<size_t>(static_cast<const char*>(hit) - data);
            if (i + marker.size() > bytes.size())
                break;
            if (std::memcmp(data + i, marker.data(), marker.size()) != 0)
                continue;
            size_t begin = i + marker.size();
            size_t length = std::min(bodyLength, bytes.size() - begin);
            if (accept(std::string_view(data + begin, length)))
                return true;
        }
        if (atEnd)
            return false;
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(scanEnd));
    }
}
