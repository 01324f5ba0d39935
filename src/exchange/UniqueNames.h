#pragma once
// The names handed out in one folder of an export: each made fit for the
// common file systems (and for links), and unique in its folder without
// regard to case, so that copying the folder to any disk keeps every file.

#include <string>
#include <unordered_set>

// Longest name handed out, in bytes: room under the usual 255-byte limit for
// a number, and for a converted copy's new extension.
constexpr size_t kMaxExportNameBytes = 200;

// `name` (UTF-8; anything else is read as Windows-1252) made fit to stand as
// one file name on Linux, Windows and macOS: control characters and
// / \ < > : " | ? * become '_'; leading spaces and trailing spaces and dots
// go; a leading dot becomes '_' (never hidden, never "." or ".."); a name
// that Windows keeps for a device gets a leading '_'; a name longer than
// `maxBytes` is cut before its extension, never inside a character. "" when
// nothing is left.
std::string PortableFileName(const std::string& name, size_t maxBytes = kMaxExportNameBytes);

class UniqueNames {
public:
    // Marks `name` as taken as it is.
    void Reserve(const std::string& name);
    // `wanted` made portable (`fallback` when nothing of it is left), taken
    // now; when already taken, the first free of name(1).ext, name(2).ext, ...
    std::string Take(const std::string& wanted, const std::string& fallback);

private:
    bool IsTaken(const std::string& name) const;

    std::unordered_set<std::string> m_taken; // lower-cased
};
