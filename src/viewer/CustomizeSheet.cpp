#include "viewer/CustomizeSheet.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

CCustomizeSheet::CCustomizeSheet(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Customize"));
    m_pTabs = new QTabWidget(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);
}
