#pragma once
// Keeps the viewer's one media window: opens it for the open Picture Book,
// plays in it, toggles and closes it, and plays items for the whole viewer.

#include "app/MediaWindowHost.h"

#include <QObject>
#include <QPointer>

class CCorvaleApp;
class CChildFrame;
class CMediaNode;
class CMediaView;

class CMediaWindowManager : public QObject, public MediaWindowHost {
    Q_OBJECT
public:
    explicit CMediaWindowManager(CCorvaleApp& app);
    ~CMediaWindowManager() override;

    bool IsMediaPlayerAvailable() const override;
    bool HasMediaWindow() const override;
    void OpenMediaWindow() override;
    void PlayInMediaWindow() override;

    // Plays `item` of the open Picture Book.
    void Play(CMediaNode& item);
    // The "Media Player" command: closes the window if there is one, else opens it.
    void Toggle();
    // The Picture Book is closing: its media window goes at once.
    void Close();

    CMediaView* View() const;
    CChildFrame* Frame() const;

private:
    // Shows the media window above the other document windows.
    void BringToFront();

    CCorvaleApp& m_app;
    QPointer<CChildFrame> m_pFrame;
    QPointer<CMediaView> m_pView;
};
