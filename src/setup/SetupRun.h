#pragma once
// The setup program's run from start to end, over the windows it shows: the
// wizard that asks what to install, and the progress of the work.

#include "setup/InstallProgress.h"
#include "setup/InstallWizardModel.h"
#include "setup/Installation.h"

// What a front end (the Qt program, a test) supplies to the run.
class SetupFrontEnd {
public:
    virtual ~SetupFrontEnd() = default;
    // Shows the wizard over `model`; true when the user pressed Finish.
    virtual bool RunWizard(InstallWizardModel& model, const std::string& setupFolder) = 0;
    virtual InstallProgress& Progress() = 0;
};

// Installs (the script beside env.ownProgramPath, the wizard, the work) or,
// in uninstall mode, uninstalls. `state` holds the mode and what the
// registry said (ReadRegisteredInfo). True when the work was done; false when
// the script could not be read, the user cancelled or the work failed (the
// user has been told, except of a cancelled wizard).
bool RunSetup(SetupState& state, SetupFrontEnd& frontEnd, InstallEnvironment& env);
