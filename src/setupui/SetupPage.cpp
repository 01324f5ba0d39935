#include "setupui/SetupPage.h"

#include <QFont>
#include <QLabel>

QString UiText(MessageId id)
{
    return QString::fromUtf8(MessageText(id));
}

SetupPage::SetupPage(InstallWizardModel& model, MessageId heading, QWidget* parent)
    : QWizardPage(parent), m_model(model)
{
    setTitle(UiText(heading));
    setFont(QFont(QStringLiteral("Comic Sans MS"), 9));
}

QLabel* SetupPage::MakeLabel(const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}
