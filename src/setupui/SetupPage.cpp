#include "setupui/SetupPage.h"

#include <QFont>
#include <QLabel>

QString UiText(MessageId id)
{
    return QString::fromUtf8(MessageText(id));
}

QFont SetupFont(const QStringList& families, int points)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSize(points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

SetupPage::SetupPage(InstallWizardModel& model, MessageId heading, QWidget* parent)
    : QWizardPage(parent), m_model(model)
{
    setTitle(UiText(heading));
    // Comic Neue is drawn to Comic Sans MS's measures and free to install.
    setFont(SetupFont({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")}, 9));
}

QLabel* SetupPage::MakeLabel(const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}
