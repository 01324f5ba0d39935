#pragma once
// Page 5: the installation folder and the space the chosen parts need. It is
// left only for a folder that exists (or was created) with room enough, or
// the user's word to go on without.

#include "setupui/SetupPage.h"

class QLabel;
class QLineEdit;

class WherePage : public SetupPage {
    Q_OBJECT
public:
    explicit WherePage(InstallWizardModel& model);

    void Shown(bool first) override;
    bool isComplete() const override;
    bool validatePage() override;

    QLabel* m_pInstruction;
    QLineEdit* m_pPath;
    QLabel* m_pViewerSize;
    QLabel* m_pPhotosSize;
    QLabel* m_pHelpSize;
    QLabel* m_pTotalSize;
};
