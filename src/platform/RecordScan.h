#pragma once
// Finding a record compiled into a program file by scanning the file's bytes
// for its marker: how the version and edition of our programs are read back.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Calls `accept` with the bytes after each occurrence of `marker` in the file
// at `path` (`bodyLength` of them, fewer where the file ends), in file order,
// until it returns true. False when the file cannot be read or nothing was
// accepted. The file is read in pieces, so a large one (a video clip met by a
// version check) is never held in memory whole.
bool ScanFileForRecord(const std::string& path, std::string_view marker, size_t bodyLength,
                       const std::function<bool(std::string_view body)>& accept);
