#include "setupui/SetupWizard.h"

#include "setupui/CustomPage.h"
#include "setupui/LicenceDialog.h"
#include "setupui/NeedViewerDialog.h"
#include "setupui/ReadyPage.h"
#include "setupui/TypePage.h"
#include "setupui/WelcomePage.h"
#include "setupui/WherePage.h"
#include "setupui/WhoPage.h"
#include "setup/LicenceFile.h"

SetupWizard::SetupWizard(InstallWizardModel& model, std::string setupFolder, QWidget* parent)
    : QWizard(parent), m_strSetupFolder(std::move(setupFolder))
{
    setWindowTitle(UiText(MessageId::WizardTitle));
    setWizardStyle(QWizard::ClassicStyle);
    // Each page fills itself from the state whenever it is shown; Qt must not
    // reset a page that the user goes back from.
    setOptions(QWizard::IndependentPages | QWizard::NoBackButtonOnStartPage);
    m_pWelcome = new WelcomePage(model, *this);
    m_pWho = new WhoPage(model);
    m_pType = new TypePage(model);
    m_pCustom = new CustomPage(model);
    m_pWhere = new WherePage(model);
    m_pReady = new ReadyPage(model);
    setPage(Welcome, m_pWelcome);
    setPage(Who, m_pWho);
    setPage(Type, m_pType);
    setPage(Custom, m_pCustom);
    setPage(Where, m_pWhere);
    setPage(Ready, m_pReady);
    connect(this, &QWizard::currentIdChanged, this, &SetupWizard::OnPageChanged);
}

void SetupWizard::OnPageChanged(int id)
{
    auto* page = qobject_cast<SetupPage*>(this->page(id));
    if (!page)
        return;
    const unsigned bit = 1u << id;
    const bool first = (m_nShownPages & bit) == 0;
    m_nShownPages |= bit;
    page->Shown(first);
}

bool SetupWizard::AskLicence()
{
    std::string text;
    if (!LoadLicenceText(m_strSetupFolder, text))
        return false;
    LicenceDialog dialog(QString::fromStdString(text), this);
    return dialog.exec() == QDialog::Accepted;
}

void SetupWizard::ShowViewerNotice()
{
    NeedViewerDialog dialog(this);
    dialog.exec();
}
