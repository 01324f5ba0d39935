#include "setupui/WherePage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString Megabytes(uint64_t bytes)
{
    return QString::fromStdString(InstallWizardModel::FormatMegabytes(bytes));
}

} // namespace

WherePage::WherePage(InstallWizardModel& model) : SetupPage(model, MessageId::WhereHeading)
{
    m_pInstruction = MakeLabel(QString());
    m_pPath = new QLineEdit(this);
    m_pPath->setMaxLength(static_cast<int>(kMaxStateText));

    auto* space = new QGroupBox(UiText(MessageId::SpaceFrame), this);
    auto* rows = new QGridLayout(space);
    auto addRow = [&](MessageId name) {
        int row = rows->rowCount();
        rows->addWidget(new QLabel(UiText(name), space), row, 0);
        auto* size = new QLabel(space);
        size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        rows->addWidget(size, row, 1);
        return size;
    };
    m_pViewerSize = addRow(MessageId::SpaceProgram);
    m_pPhotosSize = addRow(MessageId::SpacePhotos);
    m_pHelpSize = addRow(MessageId::SpaceHelp);
    m_pTotalSize = addRow(MessageId::SpaceTotal);

    auto* path = new QHBoxLayout;
    path->addWidget(new QLabel(UiText(MessageId::WherePathLabel), this));
    path->addWidget(m_pPath, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pInstruction);
    layout->addLayout(path);
    layout->addStretch();
    layout->addWidget(space);
    connect(m_pPath, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
}

void WherePage::Shown(bool)
{
    m_model.ShowWherePage();
    m_pInstruction->setText(UiText(m_model.InstructionLine()));
    m_pPath->setText(QString::fromStdString(m_model.State().m_strInstallFolder));
    RequiredSpace space = m_model.ComputeRequiredSpace();
    m_pViewerSize->setText(Megabytes(space.viewer));
    m_pPhotosSize->setText(Megabytes(space.photos));
    m_pHelpSize->setText(Megabytes(space.help));
    m_pTotalSize->setText(Megabytes(space.total));
    emit completeChanged();
}

bool WherePage::isComplete() const
{
    return InstallWizardModel::CanLeaveWherePage(m_pPath->text().toStdString());
}

bool WherePage::validatePage()
{
    if (!m_model.LeaveWherePage(m_pPath->text().toStdString()))
        return false;
    m_pPath->setText(QString::fromStdString(m_model.State().m_strInstallFolder));
    return true;
}
