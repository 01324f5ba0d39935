#include "setupui/InstallProgressDialog.h"

#include "platform/MessageTable.h"
#include "setupui/SetupPage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <climits>

namespace {

// Positions past what the bar holds are scaled into it.
int BarValue(size_t value, size_t range)
{
    if (range <= size_t(INT_MAX))
        return static_cast<int>(value);
    return static_cast<int>(static_cast<double>(value) / static_cast<double>(range) * INT_MAX);
}

} // namespace

InstallProgressDialog::InstallProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(UiText(MessageId::InstallProgressTitle));
    setFont(SetupFont({QStringLiteral("MS Sans Serif")}, 8));
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    m_pNameLine = new QLabel(this);
    m_pNameLine->setTextFormat(Qt::PlainText);
    m_pNameLine->setMinimumWidth(300);
    m_pBar = new QProgressBar(this);
    m_pBar->setTextVisible(false);
    m_pBar->setRange(0, 0);
    m_pCancel = new QPushButton(QApplication::translate("QDialogButtonBox", "Cancel"), this);
    connect(m_pCancel, &QPushButton::clicked, this, &InstallProgressDialog::RequestCancel);

    auto* lines = new QVBoxLayout;
    lines->addWidget(m_pNameLine);
    lines->addWidget(m_pBar);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pCancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

void InstallProgressDialog::Open(const std::string& title, const std::string& nameLine)
{
    setWindowTitle(QString::fromStdString(title));
    m_pNameLine->setText(QString::fromStdString(nameLine));
    adjustSize();
    // Centred on the screen as it appears (DialogPlacement).
    show();
    QCoreApplication::processEvents();
}

void InstallProgressDialog::SetNameLine(const std::string& text)
{
    m_pNameLine->setText(QString::fromStdString(text));
    m_pNameLine->repaint();
}

void InstallProgressDialog::SetRange(size_t count)
{
    m_nRange = count;
    m_pBar->setRange(0, BarValue(count, count));
}

void InstallProgressDialog::SetPosition(size_t position)
{
    m_pBar->setValue(BarValue(position, m_nRange));
}

void InstallProgressDialog::PumpOneEvent()
{
    QCoreApplication::processEvents();
}

void InstallProgressDialog::DisableCancel()
{
    m_pCancel->setEnabled(false);
    QCoreApplication::processEvents();
}

void InstallProgressDialog::Close()
{
    hide();
}

void InstallProgressDialog::RequestCancel()
{
    m_bCancel = true;
}

void InstallProgressDialog::closeEvent(QCloseEvent* event)
{
    if (m_pCancel->isEnabled())
        RequestCancel();
    event->ignore();
}

void InstallProgressDialog::reject()
{
    if (m_pCancel->isEnabled())
        RequestCancel();
}
