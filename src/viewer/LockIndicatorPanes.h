#pragma once
// The status bar's lock panes "CAP", "NUM" and "SCRL": each says its text while
// its lock is on and is blank while off; a lock whose state cannot be read has
// no pane at all.

#include "platform/KeyboardLocks.h"

#include <QObject>

#include <memory>

class QLabel;
class QStatusBar;

class LockIndicatorPanes : public QObject {
    Q_OBJECT
public:
    // Adds the three panes to the right end of `bar`, reading the locks of the
    // window system the program runs on.
    explicit LockIndicatorPanes(QStatusBar* bar);
    ~LockIndicatorPanes() override;

    // Another reader (null: none can be read); the panes follow at the next Refresh.
    void SetReader(std::unique_ptr<KeyboardLocks> reader);
    void Refresh();

    QLabel* Pane(KeyboardLock lock) const { return m_panes[static_cast<int>(lock)]; }

private:
    std::unique_ptr<KeyboardLocks> m_pReader;
    QLabel* m_panes[3] = {};
};
