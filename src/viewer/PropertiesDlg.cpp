#include "viewer/PropertiesDlg.h"

#include "app/ViewTexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
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

// Makes `edit` wide enough for its whole text at its own font: a line edit
// asks for room for a few words only, and the layout gives it no more. Only a
// text wider than most of the screen is left to scroll.
void FitToText(QLineEdit* edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    QMargins margins = edit->textMargins() + edit->contentsMargins();
    // The line edit keeps 2 pixels inside its frame on each side, and a cursor's width.
    int width = edit->fontMetrics().horizontalAdvance(edit->text()) + 2 * 2 + 1 + margins.left() +
                margins.right();
    QSize size = edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                                 QSize(width, edit->sizeHint().height()), edit);
    QScreen* screen = edit->screen() ? edit->screen() : QGuiApplication::primaryScreen();
    int limit = screen ? screen->availableGeometry().width() * 3 / 4 : size.width();
    edit->setMinimumWidth(std::max(edit->minimumSizeHint().width(), std::min(size.width(), limit)));
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
    for (QLineEdit* edit : {m_pKind, m_pFileName, m_pFormat, m_pFileSize, m_pSizes})
        FitToText(edit);

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
