#include "viewer/LockIndicatorPanes.h"

#include "app/CommandIds.h"
#include "app/CommandTable.h"

#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>

namespace {

const int kIndicatorIds[] = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

} // namespace

LockIndicatorPanes::LockIndicatorPanes(QStatusBar* bar) : QObject(bar)
{
    for (int i = 0; i < 3; ++i) {
        auto* pane = new QLabel(bar);
        pane->setAlignment(Qt::AlignCenter);
        // Sized for its text so that the bar does not shift as locks go on and off.
        QString text = QString::fromStdString(CommandText(kIndicatorIds[i]));
        pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(text) + 8);
        pane->hide();
        bar->addPermanentWidget(pane);
        m_panes[i] = pane;
    }
    SetReader(KeyboardLocks::ForWindowSystem(QGuiApplication::platformName().toStdString()));
}

LockIndicatorPanes::~LockIndicatorPanes() = default;

void LockIndicatorPanes::SetReader(std::unique_ptr<KeyboardLocks> reader)
{
    m_pReader = std::move(reader);
    Refresh();
}

void LockIndicatorPanes::Refresh()
{
    for (int i = 0; i < 3; ++i) {
        std::optional<bool> on;
        if (m_pReader)
            on = m_pReader->IsOn(static_cast<KeyboardLock>(i));
        bool lit = on.value_or(false);
        QString text = lit ? QString::fromStdString(CommandText(kIndicatorIds[i])) : QString();
        m_panes[i]->setText(text);
        m_panes[i]->setVisible(on.has_value());
    }
}
