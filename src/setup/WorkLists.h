#pragma once
// The three work lists that running a script's install sections builds and
// that the installation then carries out in list order.

#include "platform/Registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A copy from `source` to `target`, or, without a target, the deletion of `source`.
struct FileEntry {
    std::string source;
    std::optional<std::string> target;

    bool IsDeletion() const { return !target; }
};

enum class RegistryValueKind { Text, Number };

// A value to set (with data) or to delete (without).
struct RegistryEntry {
    RegistryRoot root = RegistryRoot::LocalMachine;
    std::string key;
    std::string valueName; // "" is the key's default value
    RegistryValueKind kind = RegistryValueKind::Text;
    bool hasData = false;
    std::string text;    // the data of a Text value
    uint32_t number = 0; // the data of a Number value
};

// One line for an ini file: absent entries were empty in the script.
struct IniLine {
    std::string section;
    std::optional<std::string> oldEntry;
    std::optional<std::string> newEntry;
};

// Why a line of an install section, or of a section it names, was passed over
// while the lists were built.
enum class SkipReason {
    NoEqualsAfterDirective, // the directive is not followed directly by '='
    UnknownDirective,
    MissingSection,         // the directive names a section the script lacks
    UnsafeName,             // a file or ini file name that leads out of its folder
    NotAFileName,           // empty, or ending in a separator, "." or blanks
    LinkedPackageFile,      // the package's file, or a folder on its way, is a symbolic link
    UnsafeDestination,      // the section's destination leads out of its folder
    UnknownRoot,
    NoKeyPath,
    NoKindOrData,           // an AddReg line without its kind or without data after it
};

struct SkippedLine {
    size_t offset = 0; // where the line's text begins in the script
    SkipReason reason = SkipReason::UnknownDirective;
    std::string section; // for MissingSection: the name that was not found
};

// An ini file in the Windows folder and its lines in script order. Names are
// matched without regard to case; the first spelling met is kept.
struct IniFileEntry {
    std::string fileName;
    std::vector<IniLine> lines;
};
