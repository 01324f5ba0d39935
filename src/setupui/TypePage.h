#pragma once
// Page 3: Express, Custom or Minimal; each choice sets the three options anew.

#include "setupui/SetupPage.h"

class QButtonGroup;
class QRadioButton;

class TypePage : public SetupPage {
    Q_OBJECT
public:
    explicit TypePage(InstallWizardModel& model);

    void Shown(bool first) override;

    QRadioButton* m_pExpress;
    QRadioButton* m_pCustom;
    QRadioButton* m_pMinimal;

private:
    void OnChoice(int type);

    QButtonGroup* m_pChoices;
};
