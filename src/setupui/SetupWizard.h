#pragma once
// The install wizard: six pages in a fixed order over the wizard's rules.
// Finish ends it with success; Cancel on any page ends setup.

#include "setup/InstallWizardModel.h"

#include <QWizard>

class WelcomePage;
class WhoPage;
class TypePage;
class CustomPage;
class WherePage;
class ReadyPage;

class SetupWizard : public QWizard {
    Q_OBJECT
public:
    enum PageId { Welcome, Who, Type, Custom, Where, Ready };

    SetupWizard(InstallWizardModel& model, std::string setupFolder, QWidget* parent = nullptr);

    // The licence agreement beside the setup program; true when accepted.
    // False ends setup (refused, or it could not be shown).
    virtual bool AskLicence();
    // The "You need Corvale!" notice.
    virtual void ShowViewerNotice();

    WelcomePage* m_pWelcome;
    WhoPage* m_pWho;
    TypePage* m_pType;
    CustomPage* m_pCustom;
    WherePage* m_pWhere;
    ReadyPage* m_pReady;

private:
    void OnPageChanged(int id);

    std::string m_strSetupFolder;
    // Pages seen so far, by id.
    unsigned m_nShownPages = 0;
};
