#pragma once
// Reading the setup script `Corvale.inf` from beside the setup program, with
// the three messages of a failed start.

#include "platform/MessageTable.h"
#include "setup/SetupScript.h"

#include <cstdint>
#include <string>

constexpr char kScriptFileName[] = "Corvale.inf";
// Far more than any package's script; a larger file (or an endless one) is
// not read into memory.
constexpr uint64_t kMaxScriptBytes = uint64_t(2) << 20;

enum class ScriptLoadStatus { Loaded, NoSelfIdentity, CannotOpen, CannotRead };

// The folder of `programPath` up to and including its last separator.
std::string ProgramFolder(const std::string& programPath);

// The script file in `folder`: "Corvale.inf" in any letter case.
std::string ScriptPathIn(const std::string& folder);

// Reads the file at `path` whole. CannotOpen when it cannot be opened for
// reading (or is a folder), CannotRead when reading fails or it is too large.
ScriptLoadStatus ReadScriptFile(const std::string& path, std::string& bytes);

// The message a failed load shows (under the title "Setup failed").
MessageId ScriptLoadMessage(ScriptLoadStatus status);

// Loads the script beside the program at `programPath` ("" when the program's
// own path could not be had) into `script` and gives the program's folder.
// On failure shows its message through the prompter and returns the cause.
ScriptLoadStatus LoadScript(const std::string& programPath, SetupScript& script,
                            std::string& setupFolder);
// The same for the running program.
ScriptLoadStatus LoadScript(SetupScript& script, std::string& setupFolder);
