#include "viewer/CustomizeSheet.h"

#include "viewer/DisplayCustomizePage.h"
#include "viewer/MainFrame.h"
#include "viewer/ToolbarCommandCustomizePage.h"
#include "viewer/ToolbarCustomizePage.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

CCustomizeSheet::CCustomizeSheet(CMainFrame* frame) : QDialog(frame)
{
    setWindowTitle(QStringLiteral("Customize"));
    m_pDisplayPage = new CDisplayCustomizePage(frame, this);
    m_pToolbarPage = new CToolbarCustomizePage(frame, this);
    m_pCommandPage = new CToolbarCommandCustomizePage(frame, this);

    m_pTabs = new QTabWidget(this);
    QStyle* s = style();
    m_pTabs->addTab(m_pDisplayPage, s->standardIcon(QStyle::SP_DesktopIcon), m_pDisplayPage->windowTitle());
    m_pTabs->addTab(m_pToolbarPage, s->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton),
                    m_pToolbarPage->windowTitle());
    m_pTabs->addTab(m_pCommandPage, s->standardIcon(QStyle::SP_FileDialogListView),
                    m_pCommandPage->windowTitle());

    m_pButtons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_pApply = m_pButtons->button(QDialogButtonBox::Apply);
    // Only the display page holds changes until applied; the toolbar pages act at once.
    m_pApply->setEnabled(m_pDisplayPage->IsModified());
    connect(m_pDisplayPage, &CDisplayCustomizePage::ModifiedChanged, m_pApply, &QPushButton::setEnabled);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &CCustomizeSheet::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &CCustomizeSheet::reject);
    connect(m_pApply, &QPushButton::clicked, this, &CCustomizeSheet::OnApply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(m_pButtons);
}

QLabel* CCustomizeSheet::CreateDescription(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAutoFillBackground(false);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(palette);
    return label;
}

void CCustomizeSheet::OnApply()
{
    m_pDisplayPage->OnApply();
}

void CCustomizeSheet::accept()
{
    // OK applies every page, changed or not, as the property sheet's OK does.
    m_pDisplayPage->OnApply();
    QDialog::accept();
}
