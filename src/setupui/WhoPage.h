#pragma once
// Page 2: the user's name (required), company and e-mail address, offered
// from what an earlier installation registered.

#include "setupui/SetupPage.h"

class QLineEdit;

class WhoPage : public SetupPage {
    Q_OBJECT
public:
    explicit WhoPage(InstallWizardModel& model);

    void Shown(bool first) override;
    bool isComplete() const override;
    bool validatePage() override;

    QLineEdit* m_pName;
    QLineEdit* m_pCompany;
    QLineEdit* m_pEmail;
};
