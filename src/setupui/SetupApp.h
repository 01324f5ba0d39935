#pragma once
// The setup program: asks before it runs as the uninstaller, reads what
// earlier installations registered, then runs setup once the event loop runs
// and ends the program when it is done.

#include "setup/SetupRun.h"
#include "setupui/DialogPlacement.h"

#include <QObject>
#include <QStringList>

#include <memory>

class InstallProgressDialog;
class QtPrompter;

class SetupApp : public QObject, public SetupFrontEnd {
    Q_OBJECT
public:
    SetupApp();
    ~SetupApp() override;

    // `arguments` is the whole command line, the program's own path first.
    // False when the program must end at once (the uninstall was not confirmed).
    bool Start(const QStringList& arguments);
    // 0 when setup did its work, 1 when it did not.
    int ExitCode() const { return m_nExitCode; }
    // The prompter whose messages belong to the wizard while it is shown, so
    // they appear over it.
    void SetPrompter(QtPrompter* prompter) { m_pPrompter = prompter; }

    bool RunWizard(InstallWizardModel& model, const std::string& setupFolder) override;
    InstallProgress& Progress() override;

    SetupState m_state;
    InstallEnvironment m_env;

private:
    void Run();

    DialogPlacement m_placement;
    QtPrompter* m_pPrompter = nullptr;
    std::unique_ptr<InstallProgressDialog> m_pProgress;
    int m_nExitCode = 1;
};
