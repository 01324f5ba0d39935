#include "setupui/SetupApp.h"

#include "platform/OwnProgram.h"
#include "platform/Prompter.h"
#include "platform/RegistryCheck.h"
#include "setup/SetupStart.h"
#include "setupui/InstallProgressDialog.h"
#include "setupui/SetupWizard.h"
#include "qtshared/QtPrompter.h"

#include <QApplication>
#include <QTimer>

SetupApp::SetupApp() = default;
SetupApp::~SetupApp() = default;

bool SetupApp::Start(const QStringList& arguments)
{
    if (IsUninstallCommandLine(arguments.join(QLatin1Char(' ')).toStdString())) {
        if (Prompter::Current().Ask(MessageText(MessageId::ConfirmUninstall), PromptButtons::YesNo,
                                    PromptIcon::Question,
                                    MessageText(MessageId::ConfirmUninstallTitle)) !=
            PromptReply::Yes)
            return false;
        m_state.m_bUninstall = true;
    }
    m_env.ownProgramPath = OwnProgramPath();
    OfferFreshStoresForDamagedOnes(m_env.registry);
    ReadRegisteredInfo(m_state, m_env.registry);
    // The wizard and the work's own dialogs come and go; only the end of the
    // run ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QTimer::singleShot(0, this, &SetupApp::Run);
    return true;
}

void SetupApp::Run()
{
    m_nExitCode = RunSetup(m_state, *this, m_env) ? 0 : 1;
    m_pProgress.reset();
    QCoreApplication::exit(m_nExitCode);
}

bool SetupApp::RunWizard(InstallWizardModel& model, const std::string& setupFolder)
{
    SetupWizard wizard(model, setupFolder);
    if (m_pPrompter)
        m_pPrompter->SetParent(&wizard);
    bool finished = wizard.exec() == QDialog::Accepted;
    if (m_pPrompter)
        m_pPrompter->SetParent(nullptr);
    return finished;
}

InstallProgress& SetupApp::Progress()
{
    if (!m_pProgress)
        m_pProgress = std::make_unique<InstallProgressDialog>();
    return *m_pProgress;
}
