#include "viewer/MediaWindowManager.h"

#include "app/MediaPlayback.h"
#include "model/CorvaleDoc.h"
#include "model/MediaNode.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"
#include "viewer/ChildFrame.h"
#include "viewer/CorvaleApp.h"
#include "viewer/MainFrame.h"
#include "viewer/MediaPlayer.h"
#include "viewer/MediaView.h"

#include <QMdiArea>

CMediaWindowManager::CMediaWindowManager(CCorvaleApp& app) : m_app(app) {}

CMediaWindowManager::~CMediaWindowManager()
{
    Close();
}

bool CMediaWindowManager::IsMediaPlayerAvailable() const
{
    return m_app.IsMediaPlayerAvailable();
}

bool CMediaWindowManager::HasMediaWindow() const
{
    return m_pView != nullptr;
}

CMediaView* CMediaWindowManager::View() const
{
    return m_pView;
}

CChildFrame* CMediaWindowManager::Frame() const
{
    return m_pFrame;
}

void CMediaWindowManager::OpenMediaWindow()
{
    CCorvaleDoc* doc = m_app.GetDocument();
    CMainFrame* mainFrame = m_app.GetMainFrame();
    if (m_pView || !doc || !mainFrame || !IsMediaPlayerAvailable())
        return;
    auto* view = new CMediaView(doc, &m_app);
    auto* frame = new CChildFrame(view, ChildKind::Media);
    if (!view->OnCreate()) {
        delete frame;
        return;
    }
    mainFrame->MdiArea()->addSubWindow(frame);
    frame->show();
    view->OnInitialUpdate();
    m_pFrame = frame;
    m_pView = view;
    // The window deletes itself a little later; from now on it is gone.
    connect(frame, &CChildFrame::Closed, this, [this]() {
        m_pFrame = nullptr;
        m_pView = nullptr;
        if (CMainFrame* main = m_app.GetMainFrame())
            main->UpdateCommandUI();
    });
    mainFrame->UpdateCommandUI();
}

void CMediaWindowManager::PlayInMediaWindow()
{
    if (!m_pView || !m_pView->Player())
        return;
    BringToFront();
    m_pView->Player()->Play();
}

void CMediaWindowManager::BringToFront()
{
    // Pressing a photograph's media button has just raised the photo window.
    // Only a tab must be made current to be seen; elsewhere the keyboard
    // stays where the user was.
    if (m_pFrame->isMinimized())
        m_pFrame->showNormal();
    QMdiArea* area = m_pFrame->mdiArea();
    if (area && area->viewMode() == QMdiArea::TabbedView)
        area->setActiveSubWindow(m_pFrame);
    else
        m_pFrame->raise();
}

void CMediaWindowManager::Play(CMediaNode& item)
{
    CCorvaleDoc* doc = m_app.GetDocument();
    if (!doc)
        return;
    PlayMediaItem(item, doc->m_strBookFolder, doc->Bus(), *this);
}

void CMediaWindowManager::Toggle()
{
    if (m_pFrame)
        m_pFrame->close();
    else if (m_app.GetDocument() && !IsMediaPlayerAvailable())
        // The command was offered before the back end was asked, and it has none.
        Prompter::Current().Message(MessageText(MessageId::MediaComponentMissing), PromptIcon::Exclamation);
    else
        OpenMediaWindow();
}

void CMediaWindowManager::Close()
{
    CChildFrame* frame = m_pFrame;
    m_pFrame = nullptr;
    m_pView = nullptr;
    if (frame) {
        disconnect(frame, nullptr, this, nullptr);
        delete frame;
    }
}
