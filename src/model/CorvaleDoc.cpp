#include "model/CorvaleDoc.h"

#include "model/Archive.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"

CCorvaleDoc::CCorvaleDoc() : CRouter(false), m_pCurrent(&m_root)
{
    m_root.m_bGroup = 1;
    m_root.SetBookHost(this);
    JoinBus(&m_bus);
}

CCorvaleDoc::~CCorvaleDoc()
{
    // The bus goes before the router it is part of.
    JoinBus(nullptr);
}

PictureSource CCorvaleDoc::GetPictureSource()
{
    return {m_strBookFolder, m_pictureLimits, m_pPictureBudget.get()};
}

PictureResult CCorvaleDoc::LoadPictureFor(CPhotoNode& photo)
{
    WaitCursor wait(GetPrompter());
    PictureResult result = photo.LoadPicture(GetPictureSource());
    if (!result.message.empty())
        GetPrompter().Message(result.message);
    return result;
}

void CCorvaleDoc::PlayMedia(CMediaNode& item)
{
    if (m_mediaPlayer)
        m_mediaPlayer(item);
}

void CCorvaleDoc::DeleteContents()
{
    m_root.Clear();
    m_root.m_bGroup = 1;
    m_root.m_strFileName.clear();
    m_root.m_strCaption.clear();
    m_root.m_strText.clear();
    m_pCurrent = &m_root;
    m_strBookTitle.clear();
    m_strOwnerName.clear();
    m_strOwnerEmail.clear();
}

void CCorvaleDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteInt32(1);
        ar.WriteInt32(0);
        ar.WriteText(m_strBookTitle);
        ar.WriteText(m_strOwnerName);
        ar.WriteText(m_strOwnerEmail);
        m_root.Serialize(ar);
        return;
    }
    m_nDocVersion = ar.ReadInt32();
    m_nDocRevision = ar.ReadInt32();
    ar.ReadText(m_strBookTitle);
    ar.ReadText(m_strOwnerName);
    ar.ReadText(m_strOwnerEmail);
    m_root.Serialize(ar);
}

bool CCorvaleDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return false;
    Send(RouterMessage::BookLoaded(&m_root, this), nullptr);
    return true;
}

bool CCorvaleDoc::OnOpenDocument(const std::string& path)
{
    // A book on a CD that was taken out: let the user put it back or give up.
    if (IsCdRomPath(path)) {
        while (!FileExists(path)) {
            PromptReply reply = GetPrompter().Ask(MessageText(MessageId::CdMayBeGone),
                                                        PromptButtons::OkCancel, PromptIcon::None);
            if (reply != PromptReply::Ok)
                return false;
        }
    }

    if (!CDocument::OnOpenDocument(path))
        return false;

    m_strBookFolder = FolderOfPath(path);
    // Files a save or an import into this folder left when it was killed.
    if (!IsCdRomPath(path))
        RemoveStaleTemporaries(m_strBookFolder);
    Send(RouterMessage::BookLoaded(&m_root, this), nullptr);
    return true;
}

void CCorvaleDoc::OnCloseDocument()
{
    Send(RouterMessage::BookClosing(), nullptr);
    CDocument::OnCloseDocument();
}

void CCorvaleDoc::OnMessage(const RouterMessage& message)
{
    if (message.m_nCode == RM_SELECT_NODE)
        m_pCurrent = message.m_pNode ? message.m_pNode : &m_root;
}

void CCorvaleDoc::WalkNodes(const WalkCallback& callback, CBaseNode* node, int depth)
{
    if (!node)
        node = &m_root;
    if (!node->m_strFileName.empty() || node->m_bGroup)
        callback(this, node, depth);
    if (!node->IsPhoto())
        return;
    auto* photo = static_cast<CPhotoNode*>(node);
    for (const auto& media : photo->m_media)
        WalkNodes(callback, media.get(), depth + 1);
    for (const auto& child : photo->m_photos)
        WalkNodes(callback, child.get(), depth + 1);
}

void CCorvaleDoc::OnUp()
{
    if (!m_pCurrent || m_pCurrent == &m_root || !m_pCurrent->m_pParent)
        return;
    m_pCurrent = m_pCurrent->m_pParent;
    Send(RouterMessage::SelectNode(m_pCurrent), this);
}
