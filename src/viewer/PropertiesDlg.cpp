#include "viewer/PropertiesDlg.h"

#include "app/ViewTexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLineEdit* ReadOnlyField(const std::string& text, int limit, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::fromStdString(text), parent);
    edit->setReadOnly(true);
    if (limit > 0)
        edit->setMaxLength(std::max<int>(limit, static_cast<int>(edit->text().size())));
    edit->setCursorPosition(0);
    return edit;
}

} // namespace

CPropertiesDlg::CPropertiesDlg(const CCorvaleDoc& doc, const CBaseNode* node, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Properties"));
    PropertiesValues v = FillProperties(doc, node);

    m_pKind = ReadOnlyField(v.kind, 40, this);
    m_pFileName = ReadOnlyField(v.fileName, 256, this);
    m_pFormatLabel = new QLabel(QString::fromStdString(v.formatLabel), this);
    m_pFormat = ReadOnlyField(v.formatValue, 40, this);
    m_pFileSize = ReadOnlyField(std::to_string(v.fileSize), 0, this);
    m_pSizes = ReadOnlyField(v.sizes, 64, this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Type of Item"), m_pKind);
    form->addRow(QStringLiteral("Data File Name"), m_pFileName);
    form->addRow(m_pFormatLabel, m_pFormat);
    // The picture sizes sit beside the byte count; the count needs little room.
    auto* sizeRow = new QHBoxLayout;
    m_pFileSize->setMaximumWidth(m_pFileSize->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12 + 16);
    sizeRow->addWidget(m_pFileSize);
    sizeRow->addWidget(m_pSizes, 1);
    form->addRow(QStringLiteral("Size of data (in bytes)"), sizeRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}
