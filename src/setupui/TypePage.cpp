#include "setupui/TypePage.h"

#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

TypePage::TypePage(InstallWizardModel& model) : SetupPage(model, MessageId::TypeHeading)
{
    m_pExpress = new QRadioButton(UiText(MessageId::TypeExpress), this);
    m_pCustom = new QRadioButton(UiText(MessageId::TypeCustom), this);
    m_pMinimal = new QRadioButton(UiText(MessageId::TypeMinimal), this);
    m_pChoices = new QButtonGroup(this);
    m_pChoices->addButton(m_pExpress, static_cast<int>(InstallType::Express));
    m_pChoices->addButton(m_pCustom, static_cast<int>(InstallType::Custom));
    m_pChoices->addButton(m_pMinimal, static_cast<int>(InstallType::Minimal));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel(UiText(MessageId::TypePrompt)));
    layout->addSpacing(12);
    layout->addWidget(m_pExpress);
    layout->addWidget(m_pCustom);
    layout->addWidget(m_pMinimal);
    QLabel* minimalNote = MakeLabel(UiText(MessageId::TypeMinimalNote));
    minimalNote->setIndent(24);
    layout->addWidget(minimalNote);
    layout->addStretch();
    connect(m_pChoices, &QButtonGroup::idClicked, this, &TypePage::OnChoice);
}

void TypePage::Shown(bool)
{
    m_model.ShowTypePage();
    m_pChoices->button(static_cast<int>(m_model.State().m_installType))->setChecked(true);
}

void TypePage::OnChoice(int type)
{
    m_model.ChooseType(static_cast<InstallType>(type));
}
