#pragma once
// Running a script's install sections ([CorvaleInstall], [Option2Section],
// [Option3Section], [CorvaleUninstall]): their directives name the file,
// registry and ini sections whose lines become the work lists.

#include "setup/SetupScript.h"
#include "setup/SetupState.h"

#include <string>
#include <string_view>
#include <vector>

// What a setup package can need many times over; a script that asks for more
// (a section named again and again, references that do not end) is hostile or
// broken, and building its lists stops instead of exhausting memory or time.
constexpr size_t kMaxWorkListBytes = size_t(64) << 20;
constexpr size_t kMaxScriptSteps = 2000000;

enum class ScriptRunStatus {
    Ok,
    Runaway, // a text's references do not end (a value that names itself)
    TooLarge // the work lists or the work to build them passed the limits above
};

// Runs install section `section` and appends to the work lists of `state`,
// whose directory table must be complete. A section that does not exist adds
// nothing. Lines that cannot be used are passed over, and so are those whose
// files or ini files would lie outside their folders. On a failure the lists
// keep what was added before it and must not be carried out.
ScriptRunStatus RunInstallSection(const SetupScript& script, std::string_view section,
                                  SetupState& state);

// What the user chose and what the package holds.
struct InstallChoice {
    bool uninstall = false;
    bool viewerIncluded = false;
    bool viewerOption = false;
    bool bookOption = false;
    bool helpOption = false;
};

// The install sections to run, in order: [CorvaleUninstall] alone when
// uninstalling; else [CorvaleInstall] (the viewer chosen and included),
// [Option2Section] (the Picture Book chosen), [Option3Section] (help chosen).
std::vector<std::string> ChosenInstallSections(const InstallChoice& choice);

// Runs `sections` in order, stopping at the first failure.
ScriptRunStatus RunInstallSections(const SetupScript& script,
                                   const std::vector<std::string>& sections, SetupState& state);
