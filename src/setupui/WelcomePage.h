#pragma once
// Page 1: what the package installs and who sent it. Leaving it may show the
// licence agreement (refusing it ends setup) and the "You need Corvale!" notice.

#include "setupui/SetupPage.h"

class QLabel;
class SetupWizard;

class WelcomePage : public SetupPage {
    Q_OBJECT
public:
    WelcomePage(InstallWizardModel& model, SetupWizard& wizard);

    void Shown(bool first) override;
    bool validatePage() override;

    QLabel* m_pPackageText;

private:
    SetupWizard& m_wizard;
};
