#include "setupui/NeedViewerDialog.h"

#include "setup/InstallWizardModel.h"
#include "setupui/SetupPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

NeedViewerDialog::NeedViewerDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(UiText(MessageId::NeedViewerTitle));
    auto* layout = new QVBoxLayout(this);
    auto add = [&](const QString& text) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    };
    QFont headline = font();
    headline.setBold(true);
    add(UiText(MessageId::NeedViewerHeadline));
    layout->itemAt(0)->widget()->setFont(headline);
    add(UiText(MessageId::NeedViewerNotInstalled));
    add(QString::fromStdString(FormatMessageText(MessageId::NeedViewerWhere, {kMakerWebPage})));
    add(UiText(MessageId::NeedViewerAbout));
    m_pClose = new QPushButton(UiText(MessageId::NeedViewerButton), this);
    m_pClose->setDefault(true);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pClose);
    buttons->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(420);
}
