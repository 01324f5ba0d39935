#include "setupui/CustomPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

CustomPage::CustomPage(InstallWizardModel& model) : SetupPage(model, MessageId::CustomHeading)
{
    m_pViewer = MakeBox(MessageId::CustomProgram, WizardOption::Viewer);
    m_pNote = MakeLabel(QString());
    m_pNote->setIndent(24);
    m_pBook = MakeBox(MessageId::CustomBook, WizardOption::Book);
    m_pHelp = MakeBox(MessageId::CustomHelp, WizardOption::Help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel(UiText(MessageId::CustomPrompt)));
    layout->addSpacing(12);
    layout->addWidget(m_pViewer);
    layout->addWidget(m_pNote);
    layout->addWidget(m_pBook);
    layout->addWidget(m_pHelp);
    layout->addStretch();
}

QCheckBox* CustomPage::MakeBox(MessageId text, WizardOption option)
{
    auto* box = new QCheckBox(UiText(text), this);
    connect(box, &QCheckBox::clicked, this, [this, option] {
        m_model.ToggleOption(option);
        emit completeChanged();
    });
    return box;
}

void CustomPage::Shown(bool)
{
    const CustomPageLayout& layout = m_model.ShowCustomPage();
    m_pViewer->setEnabled(layout.viewerEnabled);
    m_pHelp->setEnabled(layout.helpEnabled);
    m_pNote->setText(QString::fromStdString(layout.note));
    const QSignalBlocker blockViewer(m_pViewer), blockBook(m_pBook), blockHelp(m_pHelp);
    m_pViewer->setChecked(m_model.Option(WizardOption::Viewer));
    m_pBook->setChecked(m_model.Option(WizardOption::Book));
    m_pHelp->setChecked(m_model.Option(WizardOption::Help));
    emit completeChanged();
}

bool CustomPage::isComplete() const
{
    return m_model.AnyOptionChosen();
}
