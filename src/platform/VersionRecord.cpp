#include "platform/VersionRecord.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <algorithm>
#include <cstddef>
#include <vector>

#ifndef CORVALE_VERSION
#define CORVALE_VERSION "0.0.0.0"
#endif

namespace {

// The marker is split so that only the record itself contains it whole.
#define CORVALE_RECORD_MARKER "\x01" "CORVALE-VERSION-RECORD:"
const char kRecord[] = CORVALE_RECORD_MARKER CORVALE_VERSION "\x01";

bool ParseNumbers(const char* text, size_t length, VersionNumbers& v)
{
    int parts[4] = {0, 0, 0, 0};
    int index = 0;
    bool digit = false;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            parts[index] = parts[index] * 10 + (c - '0');
            if (parts[index] > 65535)
                return false;
            digit = true;
        } else if (c == '.' && digit && index < 3) {
            ++index;
            digit = false;
        } else if (c == '\x01' && digit && index == 3) {
            v = {parts[0], parts[1], parts[2], parts[3]};
            return true;
        } else {
            return false;
        }
    }
    return false;
}

} // namespace

const char* VersionRecordText()
{
    return kRecord;
}

// Scans in pieces, so a large file (a video clip met by setup's version check)
// is never held in memory whole. Each piece keeps the tail of the one before,
// long enough for a record that straddles the two.
bool ReadVersionRecord(const std::string& programPath, VersionNumbers& version)
{
    std::ifstream in(programPath, std::ios::binary);
    if (!in)
        return false;
    const char* marker = CORVALE_RECORD_MARKER;
    const size_t markerLength = std::strlen(marker);
    const size_t kNumbersLength = 32;
    const size_t kKeep = markerLength + kNumbersLength;
    const size_t kPiece = size_t(1) << 16;
    std::vector<char> bytes;
    for (;;) {
        size_t kept = bytes.size();
        bytes.resize(kept + kPiece);
        in.read(bytes.data() + kept, static_cast<std::streamsize>(kPiece));
        size_t got = static_cast<size_t>(in.gcount());
        bytes.resize(kept + got);
        bool atEnd = got < kPiece;
        // Only where the numbers after a marker are complete (or the file ends).
        size_t scanEnd = atEnd ? bytes.size() : (bytes.size() > kKeep ? bytes.size() - kKeep : 0);
        for (size_t i = 0; i < scanEnd && i + markerLength < bytes.size(); ++i) {
            if (bytes[i] != marker[0] || std::memcmp(&bytes[i], marker, markerLength) != 0)
                continue;
            size_t begin = i + markerLength;
            size_t length = std::min<size_t>(kNumbersLength, bytes.size() - begin);
            if (ParseNumbers(&bytes[begin], length, version))
                return true;
        }
        if (atEnd)
            return false;
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(scanEnd));
    }
}

std::string FormatVersion(const VersionNumbers& v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d.%d.%02d.%04d", v.major, v.minor, v.build, v.revision);
    return buf;
}
