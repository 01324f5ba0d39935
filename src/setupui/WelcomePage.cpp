#include "setupui/WelcomePage.h"

#include "setupui/SetupWizard.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

WelcomePage::WelcomePage(InstallWizardModel& model, SetupWizard& wizard)
    : SetupPage(model, MessageId::WelcomeHeading), m_wizard(wizard)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel(UiText(MessageId::WelcomeLine)));
    m_pPackageText = MakeLabel(QString());
    layout->addWidget(m_pPackageText);
    layout->addStretch();
    layout->addWidget(MakeLabel(UiText(MessageId::WelcomeHowToGoOn)));
}

void WelcomePage::Shown(bool first)
{
    if (!first)
        return;
    m_pPackageText->setText(QString::fromStdString(m_model.PackageText()));
    if (QScreen* screen = m_wizard.screen()) {
        QRect area = screen->availableGeometry();
        QRect frame = m_wizard.frameGeometry();
        frame.moveCenter(area.center());
        m_wizard.move(frame.topLeft());
    }
}

bool WelcomePage::validatePage()
{
    if (m_model.NeedsLicence()) {
        if (!m_wizard.AskLicence()) {
            m_wizard.reject();
            return false;
        }
        m_model.AcceptLicence();
    }
    if (m_model.NeedsViewerNotice())
        m_wizard.ShowViewerNotice();
    return true;
}
