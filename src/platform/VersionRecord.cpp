#include "platform/VersionRecord.h"

#include "platform/RecordScan.h"

#include <cstdio>

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

bool ReadVersionRecord(const std::string& programPath, VersionNumbers& version)
{
    const size_t kNumbersLength = 32;
    return ScanFileForRecord(programPath, CORVALE_RECORD_MARKER, kNumbersLength,
                             [&](std::string_view body) {
                                 return ParseNumbers(body.data(), body.size(), version);
                             });
}

std::string FormatVersion(const VersionNumbers& v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d.%d.%02d.%04d", v.major, v.minor, v.build, v.revision);
    return buf;
}
