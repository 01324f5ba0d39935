#include "viewer/MediaView.h"

#include "app/MediaPlayback.h"
#include "model/CorvaleDoc.h"
#include "model/MediaNode.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/PathResolver.h"
#include "platform/Prompter.h"
#include "viewer/HelpTopics.h"
#include "viewer/MediaPlayer.h"
#include "viewer/ViewHost.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

// The control's set-up at the first update, in this order.
const struct {
    int id;
    QVariant value;
} kFirstUpdateProperties[] = {
    {1030, 1},     {1103, true},  {1017, false}, {1018, true}, {1025, true},  {1091, false},
    {1021, false}, {29, true},    {27, true},    {1107, true}, {1084, false}, {23, true},
    {22, false},   {1088, false}, {24, true},    {1086, false}, {26, true},
};

const QSize kVideoWindowSize(290, 300);
const QSize kSoundWindowSize(290, 75);

} // namespace

CMediaView::CMediaView(CCorvaleDoc* doc, ViewHost* host, QWidget* parent)
    : QWidget(parent), m_pDocument(doc), m_pHost(host)
{
    if (doc)
        JoinBus(&doc->Bus());
    setFocusPolicy(Qt::StrongFocus);
    setWhatsThis(WhatsThisText(HelpTopic::Playing));
}

CMediaView::~CMediaView() = default;

bool CMediaView::OnCreate()
{
    m_pPlayer = new CMediaPlayer(this);
    if (!m_pPlayer->Create()) {
        delete m_pPlayer;
        m_pPlayer = nullptr;
        Prompter::Current().Message(MessageText(MessageId::MediaComponentMissing), PromptIcon::Exclamation);
        return false;
    }
    m_pPlayer->setGeometry(rect());
    m_pPlayer->show();
    connect(m_pPlayer, &CMediaPlayer::CannotPlay, this, &CMediaView::OnCannotPlay);
    return true;
}

void CMediaView::OnInitialUpdate()
{
    if (m_pPlayer)
        for (const auto& property : kFirstUpdateProperties)
            m_pPlayer->SetProperty(property.id, property.value);
    ResizeFrame(kVideoWindowSize.width(), kVideoWindowSize.height());
    if (QWidget* frame = parentWidget())
        frame->setWindowTitle(QStringLiteral("Media Player"));
}

void CMediaView::OnMessage(const RouterMessage& message)
{
    if (!m_pDocument)
        return;
    if (message.m_nCode == RM_BOOK_CLOSING) {
        // The item's file and the document go now; the window follows.
        if (m_pPlayer)
            m_pPlayer->Stop();
        m_pDocument = nullptr;
        return;
    }
    if (message.m_nCode != RM_SELECT_NODE || !message.m_pNode || !message.m_pNode->IsMedia())
        return;
    auto* item = static_cast<CMediaNode*>(message.m_pNode);
    if (m_pPlayer) {
        std::string path = PathResolver::Resolve(item->m_strFileName, m_pDocument->m_strBookFolder);
        if (path.empty())
            path = item->m_strFileName;
        // Only a regular file reaches the player; a pipe or device would stall it.
        if (!IsRegularFile(path))
            path.clear();
        m_pPlayer->SetProperty(DISPID_MP_FILENAME, QString::fromStdString(path));
        m_pPlayer->ShowVideoArea(item->m_nMediaType == MEDIA_VIDEO);
        m_nMediaType = item->m_nMediaType;
    }
    if (item->m_nMediaType == MEDIA_VIDEO) {
        ResizeFrame(kVideoWindowSize.width(), kVideoWindowSize.height());
    } else {
        // One pixel larger first, so the window lays itself out again even
        // when it already had the sound size.
        ResizeFrame(kSoundWindowSize.width() + 1, kSoundWindowSize.height() + 1);
        ResizeFrame(kSoundWindowSize.width(), kSoundWindowSize.height());
    }
}

void CMediaView::OnCannotPlay()
{
    QString file = m_pPlayer->FileName();
    // The launcher may tell the user why it failed; this window can go
    // meanwhile (its book closed).
    QPointer<CMediaView> self(this);
    bool started = PlayWithOutsidePlayer(file.toStdString(), m_nMediaType);
    if (!self || !m_pPlayer || m_pPlayer->FileName() != file)
        return;
    MessageId status = started ? MessageId::MediaPlayedOutside : MessageId::MediaCannotBePlayed;
    m_pPlayer->ShowStatus(
        QString::fromStdString(FormatMessageText(status, {QFileInfo(file).fileName().toStdString()})));
}

void CMediaView::ResizeFrame(int width, int height)
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        if (!frame->isMaximized() && !frame->isMinimized())
            frame->resize(width, height);
}

void CMediaView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_pPlayer) {
        m_pPlayer->setGeometry(0, 0, width(), height());
        m_pPlayer->update();
    }
}

void CMediaView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!rect().contains(mapFromGlobal(event->globalPos())))
        return;
    if (m_pHost)
        m_pHost->TrackContextMenu(CM_MEDIA, this, event->globalPos());
}
