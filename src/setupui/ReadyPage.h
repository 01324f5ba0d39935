#pragma once
// Page 6: the last word before the work starts; Finish installs.

#include "setupui/SetupPage.h"

class ReadyPage : public SetupPage {
    Q_OBJECT
public:
    explicit ReadyPage(InstallWizardModel& model);

    void Shown(bool) override {}
};
