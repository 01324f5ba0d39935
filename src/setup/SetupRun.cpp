#include "setup/SetupRun.h"

#include "setup/PackageInfo.h"
#include "setup/ScriptLoader.h"
#include "setup/SetupStart.h"

bool RunSetup(SetupState& state, SetupFrontEnd& frontEnd, InstallEnvironment& env)
{
    // The uninstaller reads the script beside itself and the registered
    // folder (else its own) on its own.
    if (state.m_bUninstall)
        return RunUninstall(frontEnd.Progress(), env);

    SetupScript script;
    std::string setupFolder;
    if (LoadScript(env.ownProgramPath, script, setupFolder) != ScriptLoadStatus::Loaded)
        return false;
    state.m_package = ReadPackageInfo(script);
    DetectEditions(state);

    InstallWizardModel model(state, env.registry);
    if (!frontEnd.RunWizard(model, setupFolder))
        return false;
    state.m_directories = DirectoryTable::ForInstallation(setupFolder, state.m_strInstallFolder,
                                                          state.m_package.description);
    return RunInstallation(script, state, frontEnd.Progress(), env);
}
