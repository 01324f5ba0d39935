#include "setupui/WhoPage.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLineEdit* MakeField(QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setMaxLength(static_cast<int>(kMaxStateText));
    return field;
}

} // namespace

WhoPage::WhoPage(InstallWizardModel& model) : SetupPage(model, MessageId::WhoHeading)
{
    m_pName = MakeField(this);
    m_pCompany = MakeField(this);
    m_pEmail = MakeField(this);
    auto* form = new QFormLayout;
    form->addRow(UiText(MessageId::WhoName), m_pName);
    form->addRow(UiText(MessageId::WhoCompany), m_pCompany);
    form->addRow(UiText(MessageId::WhoEmail), m_pEmail);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(MakeLabel(UiText(MessageId::WhoNote)));
    connect(m_pName, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
}

void WhoPage::Shown(bool)
{
    const SetupState& state = m_model.State();
    m_pName->setText(QString::fromStdString(state.m_strUserName));
    m_pCompany->setText(QString::fromStdString(state.m_strCompanyName));
    m_pEmail->setText(QString::fromStdString(state.m_strEmailAddress));
    m_pName->setFocus();
    emit completeChanged();
}

bool WhoPage::isComplete() const
{
    return InstallWizardModel::CanLeaveWhoPage(m_pName->text().toStdString());
}

bool WhoPage::validatePage()
{
    m_model.StoreWho(m_pName->text().toStdString(), m_pCompany->text().toStdString(),
                     m_pEmail->text().toStdString());
    return true;
}
