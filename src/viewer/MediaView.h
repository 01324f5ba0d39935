#pragma once
// The view of the media window: hosts the media player control, takes every
// multimedia item selected on the bus and sizes its window for sound or video.
// An item its control cannot decode goes to the outside player instead.

#include "model/Router.h"

#include <QWidget>

class CCorvaleDoc;
class CMediaPlayer;

class ViewHost;
class CMediaView : public QWidget, public CRouter {
    Q_OBJECT
public:
    // `host` (not owned) shows the view's context menu.
    explicit CMediaView(CCorvaleDoc* doc, ViewHost* host = nullptr, QWidget* parent = nullptr);
    ~CMediaView() override;

    // Makes the control; false (after telling the user) when it cannot be made.
    bool OnCreate();
    // Sets up the control and gives the window its size and title.
    void OnInitialUpdate();
    void OnMessage(const RouterMessage& message) override;

    CMediaPlayer* Player() const { return m_pPlayer; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ResizeFrame(int width, int height);
    void OnCannotPlay();

    CCorvaleDoc* m_pDocument;
    ViewHost* m_pHost; // not owned
    CMediaPlayer* m_pPlayer = nullptr;
    int m_nMediaType = 0; // of the item the control holds
};
