#include "setupui/WelcomePage.h"

#include "setupui/SetupWizard.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// A label wraps only between words; a package's name without blanks would
// otherwise widen the wizard past the screen. Long runs get invisible break
// opportunities.
QString Breakable(const QString& text)
{
    const int kLongestRun = 40;
    QString out;
    int run = 0;
    for (QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestRun) {
            out += QChar(0x200B);
            run = 1;
        }
        out += c;
    }
    return out;
}

} // namespace

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
    m_pPackageText->setText(Breakable(QString::fromStdString(m_model.PackageText())));
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
