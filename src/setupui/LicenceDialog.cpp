#include "setupui/LicenceDialog.h"

#include "setupui/SetupPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

LicenceDialog::LicenceDialog(const QString& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(UiText(MessageId::LicenceTitle));
    setFont(SetupFont({QStringLiteral("MS Shell Dlg")}, 8));
    auto label = [this](MessageId id) {
        auto* l = new QLabel(UiText(id), this);
        l->setWordWrap(true);
        return l;
    };
    m_pText = new QPlainTextEdit(this);
    m_pText->setReadOnly(true);
    m_pText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pText->setPlainText(text);
    m_pText->setMinimumSize(520, 240);
    m_pYes = new QPushButton(UiText(MessageId::LicenceYes), this);
    m_pNo = new QPushButton(UiText(MessageId::LicenceNo), this);
    m_pNo->setDefault(true);
    connect(m_pYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pNo, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pYes);
    buttons->addWidget(m_pNo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label(MessageId::LicenceRead));
    layout->addWidget(label(MessageId::LicencePageDown));
    layout->addWidget(m_pText, 1);
    layout->addWidget(label(MessageId::LicenceQuestion));
    layout->addWidget(label(MessageId::LicenceNoEndsSetup));
    layout->addLayout(buttons);
    // Page Down must scroll the agreement, so the text has the focus.
    m_pText->setFocus();
}
