#pragma once
// The version record compiled into our programs, and reading it back from a
// program file by scanning its bytes (as the About box and setup's version
// checks do).

#include <string>

struct VersionNumbers {
    int major = 0, minor = 0, build = 0, revision = 0;
};

// The record of this program; referencing it keeps it in the linked binary.
const char* VersionRecordText();

// False when the file cannot be read or holds no record.
bool ReadVersionRecord(const std::string& programPath, VersionNumbers& version);

// "%d.%d.%02d.%04d", e.g. "1.0.00.0003".
std::string FormatVersion(const VersionNumbers& version);
