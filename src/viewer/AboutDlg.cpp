#include "viewer/AboutDlg.h"

#include "platform/VersionRecord.h"
#include "qtshared/AppIcon.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(const QString& programPath, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Corvale"));
    VersionNumbers version;
    QString versionText;
    if (ReadVersionRecord(programPath.toStdString(), version))
        versionText = QString::fromStdString(FormatVersion(version));

    m_pVersion = new QLabel(versionText, this);
    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(new QLabel(QStringLiteral("Version"), this));
    versionRow->addWidget(m_pVersion);
    versionRow->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    m_pIcon = new QLabel(this);
    m_pIcon->setPixmap(CorvaleIcon().pixmap(64, 64));
    m_pIcon->setAlignment(Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Corvale for Windows"), this));
    texts->addLayout(versionRow);
    texts->addWidget(new QLabel(QStringLiteral("Quillfen"), this));
    auto* body = new QHBoxLayout;
    body->addWidget(m_pIcon);
    body->addSpacing(12);
    body->addLayout(texts);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
}
