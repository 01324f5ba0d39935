#include "setupui/WelcomePage.h"

#include "setupui/SetupWizard.h"

#include <QLabel>
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
    // The wizard is centred on the screen as it appears, once laid out
    // (DialogPlacement).
    m_pPackageText->setText(Breakable(QString::fromStdString(m_model.PackageText())));
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
