#include "app/CommandIds.h"
#include "image/SECImage.h"
#include "model/Archive.h"
#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"
#include "support/TestEnvironment.h"
#include "viewer/CorvaleApp.h"
#include "viewer/MainFrame.h"
#include "viewer/PhotoText.h"
#include "viewer/PhotoTree.h"
#include "viewer/PhotoTreeDataSource.h"
#include "viewer/TreeImages.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QDrag>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

// A picture made in memory, so no file decoder is involved.
class TreeTestPicture : public SECImage {
public:
    const char* GetClassName() const override { return "SECDib"; }
    bool DoLoadImage(CFile*) override { return false; }
    bool DoSaveImage(CFile*) override { return false; }
};

// Every node selection that reaches it, in order.
class SelectionRecorder : public CRouter {
public:
    SelectionRecorder() : CRouter(false) {}
    void OnMessage(const RouterMessage& message) override
    {
        if (message.m_nCode == RM_SELECT_NODE)
            m_nodes.push_back(message.m_pNode);
    }
    std::vector<CBaseNode*> m_nodes;
};

// Records context menus and drags instead of running them.
class RecordingTree : public CPhotoTree {
public:
    explicit RecordingTree(BookAccess book) : CPhotoTree(std::move(book)) {}
    void TrackPopup(ContextMenuIndex index, const QPoint&) override { m_menus.push_back(index); }
    Qt::DropAction RunDrag(QDrag* drag, Qt::DropActions allowed) override
    {
        m_dragFormats = drag->mimeData()->formats();
        m_dragAllowed = allowed;
        ++m_nDrags;
        delete drag;
        return Qt::IgnoreAction;
    }
    std::vector<ContextMenuIndex> m_menus;
    QStringList m_dragFormats;
    Qt::DropActions m_dragAllowed;
    int m_nDrags = 0;
};

CMediaNode* AddMedia(CPhotoNode& parent, const std::string& fileName, const std::string& caption)
{
    auto media = std::make_unique<CMediaNode>();
    media->SetFileName(fileName);
    media->m_strCaption = caption;
    return parent.AddMedia(std::move(media));
}

CPhotoNode* AddPhoto(CPhotoNode& parent, const std::string& caption, bool group = false)
{
    auto photo = std::make_unique<CPhotoNode>();
    photo->m_bGroup = group ? 1 : 0;
    photo->m_strCaption = caption;
    photo->m_strText = caption + " text";
    return parent.AddPhoto(std::move(photo));
}

// root: group "Holiday" (P1, P2 with M3, then M1, M2 added after them), photograph "Alone".
struct TestBook {
    explicit TestBook(const std::string& title = std::string())
    {
        doc.m_strBookTitle = title;
        group = AddPhoto(doc.m_root, "Holiday", true);
        p1 = AddPhoto(*group, "P1");
        p2 = AddPhoto(*group, "P2");
        m3 = AddMedia(*p2, "tune.mid", "M3");
        m1 = AddMedia(*group, "wave.wav", "M1");
        m2 = AddMedia(*group, "film.avi", "M2");
        alone = AddPhoto(doc.m_root, "Alone");
        other = AddMedia(*alone, "odd.xyz", "Odd");
    }
    void Load() { doc.Send(RouterMessage::BookLoaded(&doc.m_root, &doc), nullptr); }
    CPhotoTree::BookAccess Access()
    {
        return [this] { return &doc; };
    }

    CCorvaleDoc doc;
    CPhotoNode* group;
    CPhotoNode* p1;
    CPhotoNode* p2;
    CMediaNode* m1;
    CMediaNode* m2;
    CMediaNode* m3;
    CPhotoNode* alone;
    CMediaNode* other;
};

QString Text(const QModelIndex& item)
{
    return item.data().toString();
}

QStringList Labels(const QModelIndex& item)
{
    QStringList labels;
    for (int i = 0; i < item.model()->rowCount(item); ++i)
        labels << Text(item.model()->index(i, 0, item));
    return labels;
}

// Every row the view shows, top to bottom, indented by its depth.
std::vector<std::string> ShownRows(const CPhotoTree& tree)
{
    std::vector<std::string> rows;
    for (QModelIndex row = tree.model()->index(0, 0); row.isValid(); row = tree.indexBelow(row)) {
        int depth = 0;
        for (QModelIndex up = row.parent(); up.isValid(); up = up.parent())
            ++depth;
        rows.push_back(std::string(static_cast<size_t>(depth), ' ') + Text(row).toStdString());
    }
    return rows;
}

bool ShowsImage(const QModelIndex& item, int index)
{
    QIcon icon = item.data(Qt::DecorationRole).value<QIcon>();
    QImage shown = icon.pixmap(TreeImages::kWidth, TreeImages::kHeight).toImage();
    return shown.convertToFormat(QImage::Format_ARGB32) == TreeImages::Image(index);
}

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void Click(CPhotoTree& tree, const QModelIndex& item, Qt::MouseButton button)
{
    QPoint pos = tree.visualRect(item).center();
    SendMouse(tree.viewport(), QEvent::MouseButtonPress, pos, button, button);
    SendMouse(tree.viewport(), QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void PressKey(QWidget& widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

void ShowActive(QWidget& widget)
{
    widget.resize(300, 400);
    widget.show();
    QApplication::setActiveWindow(&widget);
    QApplication::processEvents();
}

QByteArray SerializedBytes(CBaseNode& node)
{
    CArchive ar;
    node.Serialize(ar);
    std::string bytes = ar.TakeStoredBytes();
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

const QString kPhotoMime = ClipboardFormatMime("KVX_PhotoNode");
const QString kMediaMime = ClipboardFormatMime("KVX_MediaNode");
const QString kDibMime = ClipboardFormatMime("CF_DIB");

} // namespace

TEST(PhotoTree, FillsMultimediaFirstWithTheImagesOfTheirKinds)
{
    TestBook book;
    CPhotoTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    book.Load();

    ASSERT_EQ(tree.model()->rowCount(), 1);
    QModelIndex root = tree.model()->index(0, 0);
    EXPECT_EQ(Text(root), QStringLiteral("Photo Album"));
    EXPECT_TRUE(tree.isExpanded(root));
    EXPECT_TRUE(tree.selectionModel()->isSelected(root));
    EXPECT_EQ(CPhotoTree::NodeOfItem(root), &book.doc.m_root);
    EXPECT_EQ(Labels(root), QStringList({"Holiday", "Alone"}));

    QModelIndex group = tree.ItemForNode(book.group);
    ASSERT_TRUE(group.isValid());
    EXPECT_EQ(Labels(group), QStringList({"M1", "M2", "P1", "P2"}));
    EXPECT_EQ(Labels(tree.ItemForNode(book.p2)), QStringList({"M3"}));
    // A photograph without multimedia items has nothing to expand.
    EXPECT_EQ(tree.model()->rowCount(tree.ItemForNode(book.p1)), 0);
    EXPECT_FALSE(tree.model()->hasChildren(tree.ItemForNode(book.p1)));

    EXPECT_TRUE(ShowsImage(root, TI_BOOK));
    EXPECT_TRUE(ShowsImage(group, TI_GROUP));
    EXPECT_TRUE(ShowsImage(tree.ItemForNode(book.p1), TI_PHOTO));
    EXPECT_TRUE(ShowsImage(tree.ItemForNode(book.m1), TI_SOUND));
    EXPECT_TRUE(ShowsImage(tree.ItemForNode(book.m2), TI_VIDEO));
    EXPECT_TRUE(ShowsImage(tree.ItemForNode(book.m3), TI_MIDI));
    EXPECT_TRUE(ShowsImage(tree.ItemForNode(book.other), TI_OTHER_MEDIA));
    // Seven different pictures: no kind looks like another.
    for (int i = 0; i < TI_COUNT; ++i)
        for (int j = i + 1; j < TI_COUNT; ++j)
            EXPECT_NE(TreeImages::Image(i), TreeImages::Image(j)) << i << " and " << j;
}

TEST(PhotoTree, RowsAppearInTreeOrderAsTheirParentsAreExpanded)
{
    using Rows = std::vector<std::string>;
    TestBook book;
    CCorvaleDoc* shown = &book.doc;
    CPhotoTree tree([&shown] { return shown; });
    tree.JoinBus(&book.doc.Bus());
    // Checks index, parent and row counts against each other on every change.
    QAbstractItemModelTester tester(tree.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    book.Load();
    ShowActive(tree);
    EXPECT_EQ(ShownRows(tree), Rows({"Photo Album", " Holiday", " Alone"}));

    tree.expand(tree.ItemForNode(book.group));
    EXPECT_EQ(ShownRows(tree), Rows({"Photo Album", " Holiday", "  M1", "  M2", "  P1", "  P2", " Alone"}));
    tree.expandAll();
    EXPECT_EQ(ShownRows(tree), Rows({"Photo Album", " Holiday", "  M1", "  M2", "  P1", "  P2", "   M3",
                                            " Alone", "  Odd"}));
    // Each row found from its node is the row the view shows.
    for (QModelIndex row = tree.RootItem(); row.isValid(); row = tree.indexBelow(row))
        EXPECT_EQ(tree.ItemForNode(CPhotoTree::NodeOfItem(row)), row) << Text(row).toStdString();
    tree.collapse(tree.ItemForNode(book.group));
    EXPECT_EQ(ShownRows(tree), Rows({"Photo Album", " Holiday", " Alone", "  Odd"}));

    // Another book in the same tree starts collapsed again below its root.
    TestBook next("Next");
    shown = &next.doc;
    tree.JoinBus(&next.doc.Bus());
    next.Load();
    EXPECT_EQ(ShownRows(tree), Rows({"Next", " Holiday", " Alone"}));
}

TEST(PhotoTree, ShowsTheTitleInTheBooksCodePageAndNoEditableLabels)
{
    TestBook book("Caf\xe9");
    CPhotoTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    book.Load();
    EXPECT_EQ(Text(tree.model()->index(0, 0)), QString::fromUtf8("Caf\xc3\xa9"));

    ShowActive(tree);
    QModelIndex item = tree.ItemForNode(book.p1);
    tree.setCurrentIndex(item);
    PressKey(tree, Qt::Key_F2);
    EXPECT_EQ(tree.viewport()->findChild<QLineEdit*>(), nullptr);
    EXPECT_FALSE(tree.model()->flags(item) & Qt::ItemIsEditable);
}

TEST(PhotoTree, UserSelectionsAreAnnouncedOnce)
{
    TestBook book;
    RecordingTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    SelectionRecorder recorder;
    recorder.JoinBus(&book.doc.Bus());
    book.Load();
    ShowActive(tree);

    PressKey(tree, Qt::Key_Down);
    EXPECT_EQ(recorder.m_nodes, std::vector<CBaseNode*>{book.group});
    EXPECT_EQ(book.doc.m_pCurrent, book.group);
    EXPECT_EQ(tree.m_selectedItem, tree.ItemForNode(book.group));

    recorder.m_nodes.clear();
    tree.expandAll();
    Click(tree, tree.ItemForNode(book.p2), Qt::LeftButton);
    EXPECT_EQ(recorder.m_nodes, std::vector<CBaseNode*>{book.p2});
    // Clicking the selected item again is no new selection.
    Click(tree, tree.ItemForNode(book.p2), Qt::LeftButton);
    EXPECT_EQ(recorder.m_nodes.size(), 1u);
}

TEST(PhotoTree, SelectionsFromElsewhereSelectTheItemAndArePassedOnOnce)
{
    TestBook book;
    RecordingTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    SelectionRecorder recorder;
    recorder.JoinBus(&book.doc.Bus());
    SelectionRecorder sender;
    sender.JoinBus(&book.doc.Bus());
    book.Load();
    ShowActive(tree);

    sender.Send(RouterMessage::SelectNode(book.m3), &sender);
    EXPECT_EQ(tree.currentIndex(), tree.ItemForNode(book.m3));
    EXPECT_TRUE(tree.selectionModel()->isSelected(tree.ItemForNode(book.m3)));
    // The part's own message and the tree's re-broadcast; no announcement of the selection.
    EXPECT_EQ(recorder.m_nodes, std::vector<CBaseNode*>({book.m3, book.m3}));
    EXPECT_EQ(sender.m_nodes, std::vector<CBaseNode*>{book.m3});
    EXPECT_EQ(tree.m_selectedItem, tree.RootItem());

    // The root is not in the item map, yet selects the root item.
    recorder.m_nodes.clear();
    sender.Send(RouterMessage::SelectNode(&book.doc.m_root), &sender);
    EXPECT_EQ(tree.currentIndex(), tree.RootItem());
    EXPECT_EQ(recorder.m_nodes.size(), 2u);

    // A node the tree does not show, and no node, select nothing but still go on.
    CPhotoNode stranger;
    stranger.m_pParent = book.alone;
    recorder.m_nodes.clear();
    sender.m_nodes.clear();
    sender.Send(RouterMessage::SelectNode(&stranger), &sender);
    sender.Send(RouterMessage::SelectNode(nullptr), &sender);
    EXPECT_EQ(tree.currentIndex(), tree.RootItem());
    EXPECT_EQ(sender.m_nodes, std::vector<CBaseNode*>({&stranger, nullptr}));
}

TEST(PhotoTree, TwoTreesDoNotEchoASelectionForever)
{
    TestBook book;
    CPhotoTree first(book.Access());
    first.JoinBus(&book.doc.Bus());
    CPhotoTree second(book.Access());
    second.JoinBus(&book.doc.Bus());
    SelectionRecorder recorder;
    recorder.JoinBus(&book.doc.Bus());
    book.Load();
    book.doc.Bus().Send(RouterMessage::SelectNode(book.p1), nullptr);
    EXPECT_EQ(first.currentIndex(), first.ItemForNode(book.p1));
    EXPECT_EQ(second.currentIndex(), second.ItemForNode(book.p1));
    EXPECT_LT(recorder.m_nodes.size(), 8u);
}

TEST(PhotoTree, ClosingLeavesOnlyThePlaceholderWhichAnnouncesNothing)
{
    TestBook book;
    RecordingTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    SelectionRecorder recorder;
    recorder.JoinBus(&book.doc.Bus());
    book.Load();
    ShowActive(tree);

    book.doc.Send(RouterMessage::BookClosing(), nullptr);
    EXPECT_FALSE(tree.m_bLoaded);
    ASSERT_EQ(tree.model()->rowCount(), 1);
    EXPECT_EQ(Text(tree.model()->index(0, 0)), QStringLiteral("No Photos Loaded"));
    EXPECT_EQ(tree.model()->rowCount(tree.model()->index(0, 0)), 0);
    EXPECT_FALSE(tree.ItemForNode(book.p1).isValid());

    Click(tree, tree.model()->index(0, 0), Qt::LeftButton);
    PressKey(tree, Qt::Key_Home);
    Click(tree, tree.model()->index(0, 0), Qt::RightButton);
    EXPECT_TRUE(recorder.m_nodes.empty());
    EXPECT_TRUE(tree.m_menus.empty());
}

TEST(PhotoTree, AClosedBooksNodesCanGoWhileItsRowsWereOpenAndAnItemHeld)
{
    auto book = std::make_unique<TestBook>();
    CCorvaleDoc* open = &book->doc;
    RecordingTree tree([&open] { return open; });
    tree.JoinBus(&book->doc.Bus());
    SelectionRecorder recorder;
    recorder.JoinBus(&book->doc.Bus());
    book->Load();
    ShowActive(tree);
    tree.expandAll();
    Click(tree, tree.ItemForNode(book->m3), Qt::LeftButton);
    // The left button stays down on an item, as at the start of a drag.
    QPoint held = tree.visualRect(tree.ItemForNode(book->m1)).center();
    SendMouse(tree.viewport(), QEvent::MouseButtonPress, held, Qt::LeftButton, Qt::LeftButton);

    book->doc.Send(RouterMessage::BookClosing(), nullptr);
    open = nullptr;
    book.reset();
    recorder.m_nodes.clear();

    // Painting, the keyboard, the held button and the mouse touch no node.
    tree.grab();
    QPoint away = held + QPoint(QApplication::startDragDistance() + 5, 40);
    SendMouse(tree.viewport(), QEvent::MouseMove, held + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
    SendMouse(tree.viewport(), QEvent::MouseMove, away, Qt::NoButton, Qt::LeftButton);
    SendMouse(tree.viewport(), QEvent::MouseButtonRelease, away, Qt::LeftButton, Qt::NoButton);
    for (int key : {Qt::Key_End, Qt::Key_Right, Qt::Key_Down, Qt::Key_Up, Qt::Key_Home})
        PressKey(tree, key);
    Click(tree, tree.RootItem(), Qt::RightButton);
    EXPECT_EQ(tree.m_nDrags, 0);
    EXPECT_TRUE(tree.m_menus.empty());
    EXPECT_TRUE(recorder.m_nodes.empty());
    EXPECT_EQ(ShownRows(tree), std::vector<std::string>{"No Photos Loaded"});
    EXPECT_EQ(CPhotoTree::NodeOfItem(tree.currentIndex()), nullptr);
}

TEST(PhotoTree, RightClickPicksTheMenuByKindAndSelectsQuietly)
{
    TestBook book;
    RecordingTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    SelectionRecorder recorder;
    recorder.JoinBus(&book.doc.Bus());
    book.Load();
    ShowActive(tree);
    tree.expandAll();
    tree.clearFocus();

    Click(tree, tree.ItemForNode(book.m1), Qt::RightButton);
    Click(tree, tree.ItemForNode(book.group), Qt::RightButton);
    Click(tree, tree.ItemForNode(book.p1), Qt::RightButton);
    EXPECT_EQ(tree.m_menus, std::vector<ContextMenuIndex>({CM_TREE_MEDIA, CM_TREE_GROUP, CM_TREE_IMAGE}));
    EXPECT_EQ(tree.currentIndex(), tree.ItemForNode(book.p1));
    EXPECT_TRUE(tree.hasFocus());
    EXPECT_TRUE(recorder.m_nodes.empty());
    EXPECT_EQ(book.doc.m_pCurrent, &book.doc.m_root);

    // Empty space below the items does nothing.
    QPoint below(5, tree.viewport()->height() - 2);
    ASSERT_FALSE(tree.indexAt(below).isValid());
    SendMouse(tree.viewport(), QEvent::MouseButtonPress, below, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(tree.m_menus.size(), 3u);
}

TEST(PhotoTree, DraggingAnItemOffersItsNodeForCopyOrMove)
{
    TestBook book;
    RecordingTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    book.Load();
    ShowActive(tree);
    tree.expandAll();
    tree.clearFocus();

    QPoint start = tree.visualRect(tree.ItemForNode(book.m2)).center();
    QPoint end = start + QPoint(QApplication::startDragDistance() + 5, 0);
    SendMouse(tree.viewport(), QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    // The first move arms the drag, the next one beyond the distance starts it.
    SendMouse(tree.viewport(), QEvent::MouseMove, start + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
    SendMouse(tree.viewport(), QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    SendMouse(tree.viewport(), QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);

    EXPECT_EQ(tree.m_nDrags, 1);
    EXPECT_TRUE(tree.m_dragFormats.contains(kMediaMime));
    EXPECT_TRUE(tree.m_dragFormats.contains(QStringLiteral("text/plain")));
    EXPECT_EQ(tree.m_dragAllowed, Qt::CopyAction | Qt::MoveAction);
    EXPECT_TRUE(tree.hasFocus()); // the drag ended with no effect
    EXPECT_FALSE(tree.acceptDrops());
}

TEST(PhotoTree, ADragStartsFromThePressedItemWhereverThePointerGoes)
{
    TestBook book;
    RecordingTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    book.Load();
    ShowActive(tree);
    tree.expandAll();

    // Pressed on the last item, the pointer goes straight down off every row.
    QModelIndex last = tree.ItemForNode(book.other);
    QRect row = tree.visualRect(last);
    ASSERT_FALSE(tree.indexAt(row.center() + QPoint(0, row.height() * 2)).isValid());
    QPoint start = row.center();
    QPoint below = start + QPoint(0, row.height() * 2);
    QPoint end = below + QPoint(0, QApplication::startDragDistance() + 5);
    SendMouse(tree.viewport(), QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    SendMouse(tree.viewport(), QEvent::MouseMove, below, Qt::NoButton, Qt::LeftButton);
    SendMouse(tree.viewport(), QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    SendMouse(tree.viewport(), QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(tree.m_nDrags, 1);
    EXPECT_TRUE(tree.m_dragFormats.contains(kMediaMime)); // the pressed item's node

    // Without a button held, moves over empty space still start nothing.
    SendMouse(tree.viewport(), QEvent::MouseMove, below, Qt::NoButton, Qt::NoButton);
    SendMouse(tree.viewport(), QEvent::MouseMove, end, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(tree.m_nDrags, 1);
}

TEST(PhotoTreeDataSource, AMultimediaItemOffersItsRecordAndCaptionNeverAPicture)
{
    TestBook book;
    book.m1->m_strCaption = "Caf\xe9 noise";
    std::unique_ptr<QMimeData> data(CreateNodeMimeData(book.m1));

    EXPECT_EQ(data->formats().size(), 2);
    EXPECT_EQ(data->data(kMediaMime), SerializedBytes(*book.m1));
    EXPECT_FALSE(data->hasFormat(kPhotoMime));
    EXPECT_FALSE(data->hasFormat(kDibMime));
    EXPECT_FALSE(data->hasImage());
    EXPECT_EQ(data->text(), QString::fromUtf8("Caf\xc3\xa9 noise"));
}

TEST(PhotoTreeDataSource, AGroupOffersItsWholeSubtreeAsABareNodeRecord)
{
    TestBook book;
    std::unique_ptr<QMimeData> data(CreateNodeMimeData(book.group));

    EXPECT_FALSE(data->hasFormat(kDibMime));
    EXPECT_FALSE(data->hasImage());
    EXPECT_FALSE(data->hasFormat(kMediaMime));
    EXPECT_EQ(data->text(), QStringLiteral("Holiday"));
    QByteArray bytes = data->data(kPhotoMime);
    EXPECT_EQ(bytes, SerializedBytes(*book.group));

    // The bytes are the node's body with no tag in front: they read back as one.
    CPhotoNode copy;
    CArchive ar(bytes.constData(), static_cast<size_t>(bytes.size()));
    copy.Serialize(ar);
    EXPECT_EQ(ar.Remaining(), 0u);
    EXPECT_EQ(copy.m_strCaption, "Holiday");
    ASSERT_EQ(copy.GetPhotoCount(), 2);
    EXPECT_EQ(copy.GetPhotoChild(1)->GetMediaChild(0)->m_strCaption, "M3");
    EXPECT_EQ(copy.GetMediaCount(), 2);
}

TEST(PhotoTreeDataSource, APhotographOffersItsPictureAsPackedDibAndImageRenderedAtOnce)
{
    TestBook book;
    auto picture = std::make_unique<TreeTestPicture>();
    ASSERT_TRUE(picture->Create(3, 2, 24, 0));
    uint8_t* bottomRow = picture->GetBits();
    bottomRow[0] = 0x30; // blue, green, red of the bottom-left pixel
    bottomRow[1] = 0x20;
    bottomRow[2] = 0x10;
    std::string header(reinterpret_cast<const char*>(picture->GetHeaderBlock()), picture->GetHeaderSize());
    std::string bits(reinterpret_cast<const char*>(picture->GetBits()), picture->GetBitsSize());
    book.p1->m_pImage = std::move(picture);
    book.p1->m_sizePicture = {3, 2};

    std::unique_ptr<QMimeData> data(CreateNodeMimeData(book.p1));
    // Nothing the data offers may depend on the node once it is made.
    QByteArray expectedRecord = SerializedBytes(*book.p1);
    book.group->m_photos.clear();

    QByteArray dib = data->data(kDibMime);
    EXPECT_EQ(dib.size(), 40 + 2 * 12);
    EXPECT_EQ(dib.toStdString(), header + bits);
    EXPECT_EQ(data->data(kPhotoMime), expectedRecord);
    EXPECT_EQ(data->text(), QStringLiteral("P1"));
    QImage image = qvariant_cast<QImage>(data->imageData());
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 0));
}

TEST(PhotoTree, CopyWhileFocusedPutsTheCurrentNodeOnTheClipboard)
{
    TestBook book;
    CPhotoTree tree(book.Access());
    tree.JoinBus(&book.doc.Bus());
    book.Load();

    CommandState state;
    ASSERT_TRUE(tree.OnUpdateCommand(ID_EDIT_COPY, state));
    EXPECT_FALSE(state.enabled); // the root is current
    EXPECT_FALSE(tree.OnUpdateCommand(ID_PROPERTIES, state));

    book.doc.Bus().Send(RouterMessage::SelectNode(book.m2), nullptr);
    ASSERT_TRUE(tree.OnUpdateCommand(ID_EDIT_COPY, state));
    EXPECT_TRUE(state.enabled);
    ASSERT_TRUE(tree.OnCommand(ID_EDIT_COPY));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(kMediaMime), SerializedBytes(*book.m2));
    EXPECT_EQ(data->text(), QStringLiteral("M2"));
}

TEST(PhotoTree, ASelectionInTheOpenViewerReachesTheTextPane)
{
    ScopedRegistry registry;
    TempDir dir;
    CCorvaleDoc saved;
    saved.m_strBookTitle = "Trip";
    AddPhoto(saved.m_root, "Beach");
    AddPhoto(saved.m_root, "Dunes")->m_strText.clear();
    std::string path = dir.File("Trip.pbk");
    ASSERT_TRUE(saved.OnSaveDocument(path));

    RecordingPrompter prompter;
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
    CCorvaleDoc* doc = app.OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    CMainFrame* frame = app.GetMainFrame();
    CPhotoTree* tree = frame->PhotoTree();
    CPhotoNode* beach = doc->m_root.GetPhotoChild(0);
    CPhotoNode* dunes = doc->m_root.GetPhotoChild(1);
    QApplication::setActiveWindow(frame);
    tree->setFocus();
    QApplication::processEvents();

    Click(*tree, tree->ItemForNode(beach), Qt::LeftButton);
    EXPECT_EQ(doc->m_pCurrent, beach);
    EXPECT_EQ(frame->PhotoText()->toPlainText(), QStringLiteral("Beach text"));
    EXPECT_FALSE(frame->TextDock()->isHidden());

    PressKey(*tree, Qt::Key_Down);
    EXPECT_EQ(doc->m_pCurrent, dunes);
    EXPECT_TRUE(frame->TextDock()->isHidden());

    // "Up" from the document selects the root item through the bus.
    doc->OnUp();
    EXPECT_EQ(tree->currentIndex(), tree->RootItem());
    app.CloseAllDocuments();
    EXPECT_EQ(Text(tree->model()->index(0, 0)), QStringLiteral("No Photos Loaded"));
}
