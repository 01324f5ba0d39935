#pragma once
// Page 4: the three parts to install, adjusted once by what the package
// includes and what is installed, with a note on why.

#include "setupui/SetupPage.h"

class QCheckBox;
class QLabel;

class CustomPage : public SetupPage {
    Q_OBJECT
public:
    explicit CustomPage(InstallWizardModel& model);

    void Shown(bool first) override;
    bool isComplete() const override;

    QCheckBox* m_pViewer;
    QCheckBox* m_pBook;
    QCheckBox* m_pHelp;
    QLabel* m_pNote;

private:
    QCheckBox* MakeBox(MessageId text, WizardOption option);
};
