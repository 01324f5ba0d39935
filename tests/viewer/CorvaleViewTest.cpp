#include "app/CommandIds.h"
#include "image/SECImage.h"
#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "support/TestEnvironment.h"
#include "viewer/ChildFrame.h"
#include "viewer/CorvaleApp.h"
#include "viewer/CorvaleView.h"
#include "viewer/MainFrame.h"
#include "viewer/MediaButtonIcons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QPrinter>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

const QRgb kGrey = qRgb(192, 192, 192);

// A picture made in memory: the tests do not depend on any file decoder.
class TestPicture : public SECImage {
public:
    const char* GetClassName() const override { return "SECDib"; }
    bool DoLoadImage(CFile*) override { return false; }
    bool DoSaveImage(CFile*) override { return false; }
};

QRgb PatternColour(int x, int y)
{
    return qRgb(x & 0xff, y & 0xff, (x * 3 + y + 1) & 0xff);
}

std::unique_ptr<SECImage> MakePicture(int width, int height)
{
    auto picture = std::make_unique<TestPicture>();
    EXPECT_TRUE(picture->Create(width, height, 24, 0));
    uint64_t stride = picture->PaddedRowLength();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = picture->GetBits() + (height - 1 - y) * stride; // bottom-up rows
        for (int x = 0; x < width; ++x) {
            QRgb c = PatternColour(x, y);
            row[3 * x] = static_cast<uint8_t>(qBlue(c));
            row[3 * x + 1] = static_cast<uint8_t>(qGreen(c));
            row[3 * x + 2] = static_cast<uint8_t>(qRed(c));
        }
    }
    return picture;
}

// A photograph (with a picture when width > 0) and `media` multimedia items
// whose file names cycle through sound, video, MIDI and an unknown kind.
CPhotoNode* AddPhoto(CPhotoNode& parent, const std::string& caption, int width, int height, int media = 0)
{
    static const char* const kEndings[] = {".wav", ".avi", ".mid", ".xyz"};
    auto node = std::make_unique<CPhotoNode>();
    node->SetFileName(caption + ".bmp");
    node->m_strCaption = caption;
    if (width > 0) {
        node->m_pImage = MakePicture(width, height);
        node->m_sizePicture = {width, height};
    }
    for (int i = 0; i < media; ++i) {
        auto item = std::make_unique<CMediaNode>();
        item->SetFileName(caption + "-clip" + std::to_string(i) + kEndings[i % 4]);
        item->m_strCaption = caption + " clip " + std::to_string(i + 1);
        node->AddMedia(std::move(item));
    }
    return parent.AddPhoto(std::move(node));
}

CPhotoNode* AddGroup(CPhotoNode& parent, const std::string& caption)
{
    auto node = std::make_unique<CPhotoNode>();
    node->m_bGroup = 1;
    node->m_strCaption = caption;
    return parent.AddPhoto(std::move(node));
}

void Settle()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

// A photo view in its document window inside an MDI area, without the rest
// of the program (but `host`, when given). Pictures are shown at their own
// size unless `shrink`.
class ViewHarness {
public:
    explicit ViewHarness(bool shrink = false, ViewHost* host = nullptr)
    {
        Settings settings = Settings::Profile();
        settings.WriteInt(SettingKey::ShrinkLargeImages, shrink ? 1 : 0);
        doc.m_strBookTitle = "Trip";
        area.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        area.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        area.resize(1000, 800);
        area.show();
        view = new CCorvaleView(&doc, host);
        frame = new CChildFrame(view, ChildKind::Photo);
        area.addSubWindow(frame);
        frame->show();
        Settle();
    }

    void Select(CBaseNode* node)
    {
        doc.Bus().Send(RouterMessage::SelectNode(node), nullptr);
        Settle();
    }

    QImage Shot() const { return view->viewport()->grab().toImage(); }

    ScopedRegistry registry;
    CCorvaleDoc doc;
    QMdiArea area;
    CCorvaleView* view = nullptr;
    CChildFrame* frame = nullptr;
};

std::vector<QAbstractButton*> VisibleButtons(const CCorvaleView& view)
{
    std::vector<QAbstractButton*> shown;
    for (QAbstractButton* button : view.m_buttons)
        if (button->isVisible())
            shown.push_back(button);
    return shown;
}

} // namespace

TEST(CorvaleViewSelection, AMediaItemShowsItsPhotographsPictureTitleAndButtons)
{
    ViewHarness h;
    CPhotoNode* beach = AddPhoto(h.doc.m_root, "Beach", 120, 90, 2);
    CPhotoNode* hill = AddPhoto(h.doc.m_root, "Hill", 60, 40, 1);
    h.Select(hill);
    CMediaNode* clip = beach->GetMediaChild(1);
    h.Select(clip);

    EXPECT_EQ(h.view->m_pSelected, clip);
    EXPECT_EQ(h.view->m_pShown, beach);
    EXPECT_TRUE(h.view->ShowsPicture());
    EXPECT_EQ(h.frame->windowTitle(), QStringLiteral("Beach"));
    EXPECT_EQ(h.view->GetTotalSize(), QSize(120, 90));
    EXPECT_EQ(h.view->m_nVisibleButtons, 2);
    EXPECT_EQ(VisibleButtons(*h.view).size(), 2u);
    EXPECT_EQ(h.view->ToolTipText(1), QStringLiteral("Beach clip 1"));
    EXPECT_EQ(h.Shot().pixel(30, 20), PatternColour(30, 20));

    // Without a caption of its own a photograph is titled after the book.
    beach->m_strCaption.clear();
    h.Select(beach);
    EXPECT_EQ(h.frame->windowTitle(), QStringLiteral("Trip"));

    // No selection: the document's own title, and "N/A".
    h.doc.SetTitle("Trip.pbk");
    h.Select(nullptr);
    EXPECT_EQ(h.frame->windowTitle(), QStringLiteral("Trip.pbk"));
    EXPECT_EQ(h.view->PlaceholderText(), QStringLiteral("Current node is N/A\nTrip"));
}

TEST(CorvaleViewPictures, ScreenCopiesAreChargedToTheBooksBudgetAndMadeAgainWhenFreed)
{
    ViewHarness h;
    CPhotoNode* a = AddPhoto(h.doc.m_root, "A", 300, 200);
    CPhotoNode* b = AddPhoto(h.doc.m_root, "B", 300, 200);
    const uint64_t copy = 300 * 200 * 4;
    h.Select(a);
    EXPECT_EQ(h.doc.GetPictureBudget().Used(), copy);
    PictureBudget::RunAll(h.doc.GetPictureBudget().SetLimit(copy + copy / 2));
    h.Select(b);
    EXPECT_EQ(h.doc.GetPictureBudget().Used(), copy); // a's copy gave way
    h.Select(a);
    EXPECT_EQ(h.Shot().pixel(30, 20), PatternColour(30, 20));
    EXPECT_EQ(h.doc.GetPictureBudget().Used(), copy);
}

TEST(CorvaleViewButtons, OneButtonPerMediaItemAlongTheBottomLeft)
{
    ViewHarness h;
    CPhotoNode* three = AddPhoto(h.doc.m_root, "Three", 200, 150, 3);
    CPhotoNode* none = AddPhoto(h.doc.m_root, "None", 200, 150, 0);
    CPhotoNode* group = AddGroup(h.doc.m_root, "Album");

    h.Select(none);
    EXPECT_EQ(h.view->m_nVisibleButtons, 0);
    EXPECT_TRUE(VisibleButtons(*h.view).empty());

    h.Select(three);
    ASSERT_EQ(h.view->m_buttons.size(), 3u);
    const int bottom = h.view->viewport()->height();
    const int types[] = {MEDIA_SOUND, MEDIA_VIDEO, MEDIA_MIDI};
    for (int i = 0; i < 3; ++i) {
        QAbstractButton* button = h.view->m_buttons[static_cast<size_t>(i)];
        SCOPED_TRACE(i);
        EXPECT_TRUE(button->isVisible());
        EXPECT_EQ(button->geometry(), QRect(21 * i, bottom - 22, 21, 22));
        EXPECT_EQ(button->property(CCorvaleView::kControlIdProperty).toInt(), i + 1);
        EXPECT_EQ(button->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32),
                  MediaButtonIcons::Create(types[i]).toImage().convertToFormat(QImage::Format_ARGB32));
    }

    // Buttons are kept for later photographs, only hidden.
    h.Select(none);
    EXPECT_EQ(h.view->m_buttons.size(), 3u);
    EXPECT_TRUE(VisibleButtons(*h.view).empty());

    // The placeholder hides every button.
    h.Select(three);
    h.Select(group);
    EXPECT_FALSE(h.view->ShowsPicture());
    EXPECT_TRUE(VisibleButtons(*h.view).empty());

    // Pressing a button selects its item for everybody but the view.
    h.Select(three);
    h.view->m_buttons[2]->click();
    EXPECT_EQ(h.doc.m_pCurrent, three->GetMediaChild(2));
}

TEST(CorvaleViewButtons, TooltipIsTheItemsCaptionCutTo79Characters)
{
    ViewHarness h;
    CPhotoNode* photo = AddPhoto(h.doc.m_root, "Photo", 200, 150, 2);
    photo->GetMediaChild(0)->m_strCaption = "Caf\xE9 " + std::string(100, 'x');
    photo->GetMediaChild(1)->m_strCaption = "Waves";
    h.Select(photo);

    QString tip = h.view->ToolTipText(1);
    EXPECT_EQ(tip.size(), 79);
    EXPECT_EQ(tip, QString::fromUtf8("Caf\xC3\xA9 ") + QString(74, QLatin1Char('x')));
    EXPECT_EQ(h.view->ToolTipText(2), QStringLiteral("Waves"));
    EXPECT_TRUE(h.view->ToolTipText(0).isEmpty());
    EXPECT_TRUE(h.view->ToolTipText(3).isEmpty());

    QAbstractButton* button = h.view->m_buttons[1];
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Waves"));
    QToolTip::hideText();
}

TEST(CorvaleViewFit, LargePicturesScrollToTheirCentreWhenAsked)
{
    CCorvaleApp app; // holds the CenterLargePhotos setting
    ViewHarness h(false, &app);
    // Make the document window come out at 800 x 600 when fitted.
    QSize chrome = h.area.size() - h.area.viewport()->size();
    h.frame->move(30, 20);
    h.area.resize(QSize(830, 620) + chrome);
    Settle();

    struct Case {
        int width, height;
        bool centre;
        QPoint expected;
    } cases[] = {
        {2000, 1500, true, {600, 450}}, {2000, 1500, false, {0, 0}}, {500, 400, true, {0, 0}},
        {500, 400, false, {0, 0}},      {2000, 300, true, {600, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " centre " << c.centre);
        app.m_bCenterLargePhotos = c.centre;
        h.view->FitToPicture(c.width, c.height);
        EXPECT_EQ(h.frame->geometry(), QRect(30, 20, 800, 600));
        // It ends at the area's edges, so the area needs no scroll bars.
        EXPECT_EQ(h.area.viewport()->size(), QSize(830, 620));
        EXPECT_EQ(h.view->GetTotalSize(), QSize(c.width, c.height));
        EXPECT_EQ(h.view->GetPageSize(), QSize(c.width * 4 / 5, c.height * 4 / 5));
        EXPECT_EQ(h.view->GetScrollPosition(), c.expected);
    }

    // Paging moves by the page size, not by the visible width.
    app.m_bCenterLargePhotos = false;
    h.view->FitToPicture(5000, 3000);
    h.view->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(h.view->GetScrollPosition().x(), 4000);
}

TEST(CorvaleViewFit, WindowLimitsFitTheShownPicture)
{
    ViewHarness h;
    CPhotoNode* small = AddPhoto(h.doc.m_root, "Small", 300, 200);
    CPhotoNode* wide = AddPhoto(h.doc.m_root, "Wide", 1500, 100);
    CPhotoNode* group = AddGroup(h.doc.m_root, "Album");
    CPhotoNode* large = AddPhoto(h.doc.m_root, "Large", 1500, 1200);

    h.Select(large);
    h.Select(small);
    EXPECT_EQ(h.frame->minimumSize(), QSize(75, 50));
    // Fitting to the area is held to the picture: all of it shows, unscrolled,
    // even right after a picture that needed both scroll bars.
    EXPECT_LT(h.frame->width(), 500);
    EXPECT_GE(h.view->viewport()->width(), 300);
    EXPECT_GE(h.view->viewport()->height(), 200);
    EXPECT_FALSE(h.view->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(h.view->verticalScrollBar()->isVisible());

    // A picture wider than the area leaves room for its scroll bar.
    h.Select(wide);
    EXPECT_TRUE(h.view->horizontalScrollBar()->isVisible());
    EXPECT_GE(h.view->viewport()->height(), 100);
    EXPECT_FALSE(h.view->verticalScrollBar()->isVisible());

    // Without a shown size the window has no limits of the view's.
    h.Select(group);
    EXPECT_EQ(h.frame->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST(CorvaleViewPlaceholder, GrowsTheWindowUntilTheTextFits)
{
    ViewHarness h;
    CPhotoNode* group = AddGroup(h.doc.m_root, "A group whose caption is far wider than a hundred pixels");
    CPhotoNode* lost = AddPhoto(h.doc.m_root, "Lost", 0, 0, 2);
    lost->SetFileName("gone.jpg");
    QSize decoration = h.frame->size() - h.view->size();
    h.frame->resize(QSize(100, 100) + decoration);
    ASSERT_EQ(h.view->viewport()->size(), QSize(100, 100));

    h.Select(group);
    EXPECT_FALSE(h.view->ShowsPicture());
    EXPECT_EQ(h.view->PlaceholderText(),
              QStringLiteral("A group whose caption is far wider than a hundred pixels\nTrip"));
    EXPECT_GE(h.view->viewport()->width(), 400);
    EXPECT_GE(h.view->viewport()->height(), 300);
    EXPECT_EQ(h.view->GetScrollPosition(), QPoint(0, 0));
    EXPECT_FALSE(h.view->horizontalScrollBar()->isVisible());

    QImage shot = h.Shot();
    EXPECT_EQ(shot.pixel(0, 0), kGrey);
    EXPECT_EQ(shot.pixel(shot.width() - 1, shot.height() - 1), kGrey);
    int inked = 0;
    for (int x = 0; x < shot.width(); ++x)
        for (int y = shot.height() / 2 - 12; y < shot.height() / 2 + 12; ++y)
            inked += qGray(shot.pixel(x, y)) < 96;
    EXPECT_GT(inked, 20); // the lines are drawn around the middle

    // A photograph that cannot be shown says so; its buttons stay hidden.
    QSize before = h.frame->size();
    h.Select(lost);
    EXPECT_EQ(h.view->PlaceholderText(),
              QStringLiteral("Current node is \ngone.jpg\nTrip\n** Photo Failed to load **"));
    EXPECT_TRUE(VisibleButtons(*h.view).empty());
    EXPECT_EQ(h.frame->size(), before); // the text fits: no growing
}

TEST(CorvaleViewPaint, PicturePixelsReachTheViewportOneToOne)
{
    ViewHarness h;
    CPhotoNode* small = AddPhoto(h.doc.m_root, "Small", 300, 200);
    CPhotoNode* large = AddPhoto(h.doc.m_root, "Large", 1500, 1200);

    h.Select(small);
    QImage shot = h.Shot();
    for (QPoint p : {QPoint(0, 0), QPoint(17, 33), QPoint(299, 0), QPoint(150, 120)})
        EXPECT_EQ(shot.pixel(p), PatternColour(p.x(), p.y())) << p.x() << "," << p.y();
    ASSERT_GT(shot.width(), 300);
    EXPECT_EQ(shot.pixel(300, 10), kGrey); // right of the picture
    ASSERT_GT(shot.height(), 200);
    EXPECT_EQ(shot.pixel(10, 200), kGrey); // below it

    h.Select(large);
    QPoint scroll = h.view->GetScrollPosition();
    EXPECT_GT(scroll.x(), 0); // centred
    h.view->horizontalScrollBar()->setValue(scroll.x() + 7);
    scroll = h.view->GetScrollPosition();
    shot = h.Shot();
    for (QPoint p : {QPoint(0, 0), QPoint(40, 3), QPoint(333, 101)})
        EXPECT_EQ(shot.pixel(p), PatternColour(scroll.x() + p.x(), scroll.y() + p.y()));

    // A palettised picture goes through its colour table.
    auto indexed = std::make_unique<TestPicture>();
    ASSERT_TRUE(indexed->Create(4, 2, 8, 256));
    indexed->GetColour(5)->red = 200;
    indexed->GetColour(5)->blue = 10;
    indexed->GetBits()[1] = 5; // bottom row, second pixel
    small->m_pImage = std::move(indexed);
    small->m_sizePicture = {4, 2};
    h.Select(small);
    shot = h.Shot();
    EXPECT_EQ(shot.pixel(1, 1), qRgb(200, 0, 10));
    EXPECT_EQ(shot.pixel(0, 1), qRgb(0, 0, 0));
}

TEST(CorvaleViewDisplaySettings, ChangeDropsEveryCopyAndPreparesOnlyTheShownPhotograph)
{
    ViewHarness h(/*shrink=*/true);
    std::vector<CPhotoNode*> photos;
    CPhotoNode* group = AddGroup(h.doc.m_root, "Album");
    for (const char* name : {"One", "Two", "Three"}) {
        CPhotoNode* photo = AddPhoto(*group, name, 1000, 800);
        photo->m_pDisplayImage = MakePicture(10, 10);
        photo->m_sizeDisplay = {10, 10};
        photos.push_back(photo);
    }
    h.Select(photos[1]);
    EXPECT_EQ(h.view->GetTotalSize(), QSize(10, 10)); // the copy made earlier is kept

    h.doc.Bus().Send(RouterMessage::DisplaySettings(0, 2), nullptr);
    Settle();
    for (CPhotoNode* other : {photos[0], photos[2]}) {
        EXPECT_EQ(other->m_pDisplayImage, nullptr);
        EXPECT_EQ(other->m_sizeDisplay, CSize());
    }
    const CSize* shown = photos[1]->GetShownSize();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(h.view->GetTotalSize(), QSize(shown->cx, shown->cy));
    // The freed copy is not painted from any cache.
    EXPECT_NE(h.Shot().pixel(20, 20), kGrey);
}

TEST(CorvaleViewLifecycle, BookLoadedThenInitialUpdateAnnouncesTheCurrentNode)
{
    ViewHarness h;
    CPhotoNode* photo = AddPhoto(h.doc.m_root, "Photo", 400, 300);
    h.doc.Bus().Send(RouterMessage::BookLoaded(&h.doc.m_root, &h.doc), nullptr);
    EXPECT_EQ(h.frame->size(), QSize(300, 150));
    EXPECT_EQ(h.view->GetTotalSize(), QSize(1, 1));

    h.doc.m_pCurrent = photo;
    h.view->OnInitialUpdate();
    Settle();
    EXPECT_EQ(h.view->m_pSelected, photo);
    EXPECT_TRUE(h.view->ShowsPicture());
    EXPECT_EQ(h.view->GetTotalSize(), QSize(400, 300));

    // Closing forgets the nodes before they go.
    h.doc.Bus().Send(RouterMessage::BookClosing(), nullptr);
    EXPECT_EQ(h.view->m_pSelected, nullptr);
    EXPECT_EQ(h.view->m_pShown, nullptr);
}

TEST(CorvaleViewPrint, PrintsOnePageWhileABookIsOpen)
{
    ViewHarness h;
    TempDir dir;
    CPhotoNode* photo = AddPhoto(h.doc.m_root, "Photo", 64, 48);
    CommandState state;
    EXPECT_TRUE(h.view->OnUpdateCommand(ID_FILE_PRINT, state));
    EXPECT_TRUE(state.enabled);
    EXPECT_TRUE(h.view->OnUpdateCommand(ID_FILE_PRINT_DIRECT, state));
    EXPECT_FALSE(h.view->OnUpdateCommand(ID_EDIT_COPY, state));

    for (CBaseNode* node : {static_cast<CBaseNode*>(photo), static_cast<CBaseNode*>(&h.doc.m_root)}) {
        h.Select(node);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.File("page.pdf")));
        ASSERT_TRUE(h.view->PrintTo(printer));
        std::string pdf = ReadFileBytes(dir.File("page.pdf"));
        size_t pages = 0;
        for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
            pages += pdf.compare(at, 12, "/Type /Pages") != 0;
        EXPECT_EQ(pages, 1u);
    }
}

TEST(CorvaleViewApp, SelectionSetsTitleAndStatusMessage)
{
    ScopedRegistry registry;
    TempDir dir;
    std::string path = dir.File("Trip.pbk");
    {
        CCorvaleDoc doc;
        doc.m_strBookTitle = "Trip";
        doc.m_strOwnerName = "Ann";
        AddPhoto(doc.m_root, "Plage", 0, 0)->SetFileName("caf\xE9.gif");
        ASSERT_TRUE(doc.OnSaveDocument(path));
    }
    CCorvaleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("Corvale")}));
    RecordingPrompter prompter;
    CCorvaleDoc* doc = app.OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    auto* view = qobject_cast<CCorvaleView*>(app.GetPhotoFrame()->View());
    ASSERT_NE(view, nullptr);
    Settle();
    EXPECT_EQ(view->m_pSelected, &doc->m_root);
    EXPECT_EQ(view->PlaceholderText(),
              QString::fromStdString("Picture Book:\n" + doc->GetPathName() + "\nTrip\n\nSent by: Ann"));

    doc->Bus().Send(RouterMessage::SelectNode(doc->m_root.GetPhotoChild(0)), nullptr);
    Settle();
    EXPECT_EQ(app.GetPhotoFrame()->windowTitle(), QStringLiteral("Plage"));
    QLabel* message = app.GetMainFrame()->statusBar()->findChildren<QLabel*>().value(0);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), QString::fromUtf8("caf\xC3\xA9.gif"));

    app.GetMainFrame()->UpdateCommandUI();
    EXPECT_TRUE(app.GetMainFrame()->Action(ID_FILE_PRINT)->isEnabled());
    app.CloseAllDocuments();
}
