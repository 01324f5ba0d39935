#include "InstallCommand.h"

#include "ScriptCommand.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/OwnProgram.h"
#include "platform/Prompter.h"
#include "setup/Installation.h"
#include "setup/ScriptText.h"

#include <ostream>

namespace {

const char kUsage[] = "usage: pbktool install INF --install DIR [--uninstall]\n";

// Answers for a user who is not there: the installation folder may be
// created; a newer file is never replaced by an older one. Messages are
// printed, the closing one to standard output.
class UnattendedPrompter : public Prompter {
public:
    UnattendedPrompter(std::ostream& out, std::ostream& err)
        : m_out(out), m_err(err), m_pPrevious(Prompter::SetCurrent(this))
    {
    }
    ~UnattendedPrompter() override { Prompter::SetCurrent(m_pPrevious); }

    PromptReply Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string& caption) override
    {
        (icon == PromptIcon::Information ? m_out : m_err) << text << "\n";
        if (caption == MessageText(MessageId::ConfirmDirectoryCreationTitle))
            return PromptReply::Yes;
        return NegativeReply(buttons);
    }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    Prompter* m_pPrevious;
};

} // namespace

int InstallPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string inf, installFolder;
    bool uninstall = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--install" && i + 1 < args.size() && installFolder.empty())
            installFolder = args[++i];
        else if (args[i] == "--uninstall")
            uninstall = true;
        else if (inf.empty() && args[i].rfind("--", 0) != 0)
            inf = args[i];
        else {
            err << kUsage;
            return 2;
        }
    }
    if (inf.empty() || installFolder.empty()) {
        err << kUsage;
        return 2;
    }

    SetupScript script;
    if (!ReadScriptArgument(inf, script, err))
        return 1;
    UnattendedPrompter prompter(out, err);
    SetupState state;
    state.m_bUninstall = uninstall;
    state.m_strInstallFolder = installFolder;
    state.m_bViewerOption = state.m_bBookOption = state.m_bHelpOption = true;
    state.m_package = ReadPackageInfo(script);
    std::string setupFolder = ScriptFolder(inf);
    state.m_directories =
        DirectoryTable::ForInstallation(setupFolder, installFolder, state.m_package.description);

    InstallEnvironment env;
    SilentProgress progress;
    if (uninstall) {
        // The uninstaller an installation left behind goes, as it would
        // remove itself.
        env.ownProgramPath = UninstallerPath(installFolder);
        return CarryOut(script, state, progress, env) ? 0 : 1;
    }
    // The package's own setup program becomes the uninstaller; a package
    // without one gets this tool in its place.
    std::string setup = AppendPathPart(setupFolder, "setup");
    env.ownProgramPath = IsRegularFile(setup) ? setup : OwnProgramPath();
    return RunInstallation(script, state, progress, env) ? 0 : 1;
}
