#pragma once
// One open Picture Book: the root group and its tree, the current node, the
// title and the sender. It owns the bus of the book: it announces loading
// and closing on it and follows the selection that the panes send. Its photographs load their
// pictures from its folder, and it shows what goes wrong.

#include "image/PictureBudget.h"
#include "model/Document.h"
#include "model/MessageBus.h"
#include "model/PhotoNode.h"
#include "model/Router.h"

#include <functional>
#include <memory>
#include <string>

class CCorvaleDoc : public CDocument, public CRouter, public BookHost {
public:
    CCorvaleDoc();
    ~CCorvaleDoc() override;

    void Serialize(CArchive& ar) override;
    void DeleteContents() override;
    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    void OnCloseDocument() override;
    void OnMessage(const RouterMessage& message) override;

    // Depth-first: the callback sees every node that names a file and every
    // group; a photograph's multimedia items come before its photograph children.
    using WalkCallback = std::function<void(CCorvaleDoc*, CBaseNode*, int)>;
    void WalkNodes(const WalkCallback& callback, CBaseNode* node = nullptr, int depth = 0);

    // Commands the document handles.
    bool CanCopyNode() const { return m_pCurrent && m_pCurrent != &m_root; }
    void OnUp();

    // The bus the panes that show this book join.
    MessageBus& Bus() { return m_bus; }

    CPhotoNode* GetRoot() { return &m_root; }
    // What the book's decoded pictures may take together; shared with the
    // views that keep screen copies of them.
    PictureBudget& GetPictureBudget() { return *m_pPictureBudget; }
    std::shared_ptr<PictureBudget> SharePictureBudget() const { return m_pPictureBudget; }
    // What the book's photographs load their pictures from: its folder, the
    // picture limits and its budget.
    PictureSource GetPictureSource();
    // Lowers how large the book's pictures may be (fuzzing does).
    void SetPictureLimits(const ImageLimits& limits) { m_pictureLimits = limits; }
    // Loads the photograph's picture from this book, the wait cursor showing,
    // and tells the user through the Prompter when it does not load.
    PictureResult LoadPictureFor(CPhotoNode& photo) override;
    // Plays the item through the player the program gave the book; a book
    // without one (a headless program's) plays nothing.
    using MediaPlayer = std::function<void(CMediaNode&)>;
    void SetMediaPlayer(MediaPlayer player) { m_mediaPlayer = std::move(player); }
    void PlayMedia(CMediaNode& item) override;
    CBaseNode* GetCurrent() const { return m_pCurrent; }

    int32_t m_nDocVersion = 0;
    int32_t m_nDocRevision = 0;

private:
    MessageBus m_bus;
    // Before the root: the nodes leave their accounts as they go.
    std::shared_ptr<PictureBudget> m_pPictureBudget = std::make_shared<PictureBudget>();
    ImageLimits m_pictureLimits;
    MediaPlayer m_mediaPlayer;

public:
    CPhotoNode m_root;
    CBaseNode* m_pCurrent;
    std::string m_strBookTitle;
    std::string m_strBookFolder; // not stored in the file
    std::string m_strOwnerName;
    std::string m_strOwnerEmail;
};
