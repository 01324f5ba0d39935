#include "viewer/AboutDlg.h"

#include "platform/VersionRecord.h"

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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Corvale for Windows"), this));
    layout->addLayout(versionRow);
    layout->addWidget(new QLabel(QStringLiteral("Quillfen"), this));
    layout->addWidget(buttons);
}
