#include "viewer/ToolbarCustomizePage.h"

#include "app/CommandTable.h"
#include "viewer/CustomizeSheet.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

CToolbarCustomizePage::CToolbarCustomizePage(QMainWindow* frame, QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Toolbars"));
    m_pDescription = CCustomizeSheet::CreateDescription(
        QStringLiteral("Tick a toolbar to show it, clear it to hide it."), this);

    auto* group = new QGroupBox(QStringLiteral("Toolbars:"), this);
    auto* groupLayout = new QVBoxLayout(group);
    for (const ToolbarInfo& info : GetToolbars()) {
        QString title = QString::fromLatin1(info.title);
        auto* box = new QCheckBox(title, group);
        box->setObjectName(title);
        groupLayout->addWidget(box);
        m_checkBoxes.push_back(box);
        // The main window names each toolbar after its title.
        QToolBar* bar = frame ? frame->findChild<QToolBar*>(title) : nullptr;
        if (!bar) {
            box->setEnabled(false);
            continue;
        }
        box->setChecked(!bar->isHidden());
        connect(box, &QCheckBox::toggled, bar, &QToolBar::setVisible);
        // A toolbar closed elsewhere (its menu, the View command) keeps its box honest.
        connect(bar, &QToolBar::visibilityChanged, box, [box, bar]() {
            const QSignalBlocker block(box);
            box->setChecked(!bar->isHidden());
        });
    }
    groupLayout->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pDescription);
    layout->addWidget(group, 1);
}

QCheckBox* CToolbarCustomizePage::CheckBoxFor(const QString& title) const
{
    for (QCheckBox* box : m_checkBoxes)
        if (box->objectName() == title)
            return box;
    return nullptr;
}
