#pragma once
// A document window in the MDI area holding the photo view or the media view.
// It goes back to where the user last left a window of its kind, and a photo
// view decides how small and how large the user may make it.

#include "app/WindowPlacement.h"

#include <QMdiSubWindow>
#include <QPointer>

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(QWidget* view, ChildKind kind, QWidget* parent = nullptr);
    ~CChildFrame() override;

    ChildKind Kind() const { return m_kind; }
    QWidget* View() const { return widget(); }

    // Takes the size limits from a photo view; other views, and maximised or
    // tabbed windows, have none of their own.
    void UpdateTrackSize();

signals:
    // The user closed the window (its view is about to go).
    void Closed(CChildFrame* frame);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SavePlace();

    ChildKind m_kind;
    bool m_bPlaced = false;
    QPointer<QWidget> m_pWatchedArea; // the MDI area's viewport, whose size the limits use
};
