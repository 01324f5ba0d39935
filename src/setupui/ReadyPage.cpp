#include "setupui/ReadyPage.h"

#include <QLabel>
#include <QVBoxLayout>

ReadyPage::ReadyPage(InstallWizardModel& model) : SetupPage(model, MessageId::ReadyHeading)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel(UiText(MessageId::ReadyLine)));
    layout->addStretch();
    layout->addWidget(MakeLabel(UiText(MessageId::ReadyHowToGoOn)));
}
