#pragma once
// A document window in the MDI area holding the photo view or the media view.
// It goes back to where the user last left a window of its kind.

#include "app/WindowPlacement.h"

#include <QMdiSubWindow>

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(QWidget* view, ChildKind kind, QWidget* parent = nullptr);
    ~CChildFrame() override;

    ChildKind Kind() const { return m_kind; }
    QWidget* View() const { return widget(); }

signals:
    // The user closed the window (its view is about to go).
    void Closed(CChildFrame* frame);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SavePlace();

    ChildKind m_kind;
    bool m_bPlaced = false;
};
