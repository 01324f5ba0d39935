#include "viewer/CorvaleView.h"

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/StartupSettings.h"
#include "app/ViewTexts.h"
#include "image/SECImage.h"
#include "model/CorvaleDoc.h"
#include "platform/CodePage.h"
#include "platform/Settings.h"
#include "viewer/ChildFrame.h"
#include "viewer/HelpTopics.h"
#include "viewer/MediaButtonIcons.h"
#include "model/MediaNode.h"
#include "viewer/PhotoPlaceholder.h"
#include "viewer/ViewHost.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr size_t kMaxTipLength = 79;

// A size the window and scroll bars can be fitted to. A picture that failed
// to load keeps an empty image object whose size is 0 x 0: that is no size.
bool UsableSize(const CSize* size)
{
    return size && size->cx > 0 && size->cy > 0;
}

CPhotoNode* AsPhoto(CBaseNode* node)
{
    return node && node->IsPhoto() ? static_cast<CPhotoNode*>(node) : nullptr;
}

// The shown size of a node whose picture has been tried already. Sizing and
// painting never load a picture: a failed load would report itself again on
// every repaint or window drag.
const CSize* LoadedShownSize(CBaseNode* node)
{
    if (!node)
        return nullptr;
    CPhotoNode* photo = AsPhoto(node);
    if (photo && !photo->m_pImage)
        return nullptr;
    const CSize* size = node->GetShownSize();
    return UsableSize(size) ? size : nullptr;
}

} // namespace

const char* const CCorvaleView::kControlIdProperty = "controlId";

CCorvaleView::CCorvaleView(CCorvaleDoc* doc, ViewHost* host, QWidget* parent)
    : QAbstractScrollArea(parent), CRouter(false), m_pDocument(doc), m_pHost(host)
{
    if (doc)
        JoinBus(&doc->Bus());
    setWhatsThis(WhatsThisText(HelpTopic::Photo));
    // Like the system metrics of a document window, read once.
    QStyle* st = style();
    m_nFrameBorder = st->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, nullptr);
    QStyleOptionTitleBar titleBar;
    titleBar.titleBarFlags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    titleBar.fontMetrics = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"));
    m_nCaptionHeight = st->pixelMetric(QStyle::PM_TitleBarHeight, &titleBar, nullptr);
    m_nScrollBarSize = st->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, nullptr);

    const int types[4] = {MEDIA_SOUND, MEDIA_VIDEO, MEDIA_MIDI, MEDIA_UNKNOWN};
    for (int i = 0; i < 4; ++i)
        m_icons[i] = QIcon(MediaButtonIcons::Create(types[i]));

    // The view paints every pixel itself: the picture and the grey around it.
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollAction(Qt::Horizontal, action); });
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { OnScrollAction(Qt::Vertical, action); });
    SetScrollSizes(QSize(1, 1));
    if (m_pDocument)
        m_pictures.SetBudget(m_pDocument->SharePictureBudget());
}

CCorvaleView::~CCorvaleView() = default;

void CCorvaleView::OnInitialUpdate()
{
    if (!m_pDocument)
        return;
    viewport()->update();
    m_pSelected = m_pDocument->m_pCurrent;
    // Reset before the announcement, so that a photograph it fits keeps its
    // scroll sizes.
    SetScrollSizes(QSize(1, 1));
    Send(RouterMessage::SelectNode(m_pDocument->m_pCurrent), nullptr);
}

void CCorvaleView::OnMessage(const RouterMessage& message)
{
    // A view whose book has closed waits for its window to go and hears nothing.
    if (!m_pDocument)
        return;
    switch (message.m_nCode) {
    case RM_BOOK_LOADED:
        OnBookLoaded();
        break;
    case RM_SELECT_NODE:
        OnSelectNode(message.m_pNode);
        break;
    case RM_DISPLAY_SETTINGS:
        OnDisplaySettings();
        break;
    case RM_BOOK_CLOSING:
        // The nodes and the document are about to go; nothing may point at
        // them any longer (the window itself is deleted a little later).
        m_pDocument = nullptr;
        m_pSelected = nullptr;
        m_pShown = nullptr;
        m_nVisibleButtons = 0;
        for (QAbstractButton* button : m_buttons)
            button->hide();
        m_pictures.Clear();
        break;
    default:
        break;
    }
}

void CCorvaleView::OnBookLoaded()
{
    m_pictures.Clear();
    UpdateFrameTrackSize();
    ResizeDocumentWindow(300, 150);
    SetScrollSizes(QSize(1, 1));
}

void CCorvaleView::OnSelectNode(CBaseNode* node)
{
    m_pSelected = node;
    m_pShown = ShownNodeFor(node);
    QMdiSubWindow* frame = DocumentWindow();
    if (!m_pSelected) {
        UpdateFrameTrackSize();
        if (frame)
            frame->setWindowTitle(QString::fromStdString(m_pDocument->GetTitle()));
    } else {
        if (!m_pShown)
            m_pShown = m_pSelected;
        const CSize* size = PrepareShown(LiveDisplaySettings().shrinkLargeImages);
        // The limits first: the window is fitted within them.
        UpdateFrameTrackSize();
        if (size)
            FitToPicture(size->cx, size->cy);
        if (frame)
            frame->setWindowTitle(QString::fromStdString(PhotoWindowTitle(*m_pDocument, m_pShown)));
        ShowStatusMessage(QString::fromStdString(Cp1252ToUtf8(m_pSelected->m_strFileName)));
    }
    UpdateState();
}

void CCorvaleView::OnDisplaySettings()
{
    m_pDocument->WalkNodes([](CCorvaleDoc*, CBaseNode* node, int) {
        if (CPhotoNode* photo = AsPhoto(node))
            photo->FreeDisplayImage();
    });
    m_pictures.Clear();
    if (m_pShown) {
        const CSize* size = PrepareShown(true);
        UpdateFrameTrackSize();
        if (size)
            FitToPicture(size->cx, size->cy);
    }
    UpdateState();
}

const CSize* CCorvaleView::PrepareShown(bool prepare)
{
    CPhotoNode* photo = AsPhoto(m_pShown);
    if (photo && prepare) {
        photo->PrepareDisplayImage(LiveDisplaySettings(), false);
        // A picture that just failed to load is not tried (and reported) twice.
        if (!photo->m_pImage)
            return nullptr;
    }
    const CSize* size = m_pShown->GetShownSize();
    return UsableSize(size) ? size : nullptr;
}

DisplaySettings CCorvaleView::LiveDisplaySettings() const
{
    if (m_pHost)
        return m_pHost->LiveDisplaySettings();
    return ReadDisplaySettings(Settings::Profile());
}

bool CCorvaleView::CenterLargePhotos() const
{
    if (m_pHost)
        return m_pHost->CenterLargePhotos();
    return ReadCenterLargePhotos(Settings::Profile());
}

void CCorvaleView::ShowStatusMessage(const QString& text) const
{
    if (m_pHost)
        m_pHost->ShowStatusMessage(text);
}

QMdiSubWindow* CCorvaleView::DocumentWindow() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w))
            return frame;
    return nullptr;
}

void CCorvaleView::ResizeDocumentWindow(int width, int height)
{
    QMdiSubWindow* frame = DocumentWindow();
    if (!frame || frame->isMaximized() || frame->isMinimized())
        return;
    if (frame->mdiArea() && frame->mdiArea()->viewMode() == QMdiArea::TabbedView)
        return;
    frame->resize(width, height);
}

void CCorvaleView::UpdateFrameTrackSize()
{
    if (auto* frame = qobject_cast<CChildFrame*>(DocumentWindow()))
        frame->UpdateTrackSize();
}

void CCorvaleView::FitToPicture(int width, int height)
{
    QMdiSubWindow* frame = DocumentWindow();
    QMdiArea* area = frame ? frame->mdiArea() : nullptr;
    int fullWidth = this->width();
    int fullHeight = this->height();
    if (area) {
        // The window's right and bottom edges meet the area's, wherever the
        // window starts; any further and the area would need scroll bars of its own.
        QWidget* client = area->viewport();
        QPoint offset = frame->mapToGlobal(QPoint(0, 0)) - client->mapToGlobal(QPoint(0, 0));
        fullWidth = client->width() - offset.x();
        fullHeight = client->height() - offset.y();
        ResizeDocumentWindow(fullWidth, fullHeight);
    } else if (frame) {
        fullWidth = frame->width();
        fullHeight = frame->height();
    }

    SetScrollSizes(QSize(width, height), QSize(width * 4 / 5, height * 4 / 5));
    QPoint position(0, 0);
    if ((width > fullWidth || height > fullHeight) && CenterLargePhotos())
        position = QPoint(std::max(0, (width - fullWidth) / 2), std::max(0, (height - fullHeight) / 2));
    ScrollToPosition(position);
    UpdateMediaButtons();
}

void CCorvaleView::UpdateMediaButtons()
{
    if (!m_pShown)
        return;
    CPhotoNode* photo = AsPhoto(m_pShown);
    m_nVisibleButtons = photo ? photo->GetMediaCount() : 0;
    for (int i = static_cast<int>(m_buttons.size()); i < m_nVisibleButtons; ++i)
        m_buttons.push_back(CreateMediaButton(i + 1));
    for (int j = 0; j < static_cast<int>(m_buttons.size()); ++j) {
        QAbstractButton* button = m_buttons[static_cast<size_t>(j)];
        if (j >= m_nVisibleButtons) {
            button->hide();
            continue;
        }
        int type = photo->GetMediaChild(j)->m_nMediaType;
        button->setIcon(m_icons[type >= MEDIA_SOUND && type <= MEDIA_MIDI ? type - 1 : 3]);
        button->show();
    }
    PlaceMediaButtons();
}

QAbstractButton* CCorvaleView::CreateMediaButton(int id)
{
    auto* button = new QToolButton(viewport());
    button->setProperty(kControlIdProperty, id);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(MediaButtonIcons::kSize, MediaButtonIcons::kSize));
    // The view, not the button, takes the focus when a button is pressed.
    button->setFocusPolicy(Qt::NoFocus);
    button->installEventFilter(this);
    button->hide();
    connect(button, &QAbstractButton::clicked, this, [this, id]() { OnMediaButton(id); });
    return button;
}

void CCorvaleView::PlaceMediaButtons()
{
    // Bottom-left corner of the visible area; the buttons are children of the
    // viewport, so scrolling the picture does not move them.
    int top = viewport()->height() - kButtonHeight;
    for (int i = 0; i < m_nVisibleButtons && i < static_cast<int>(m_buttons.size()); ++i) {
        QAbstractButton* button = m_buttons[static_cast<size_t>(i)];
        button->setGeometry(kButtonWidth * i, top, kButtonWidth, kButtonHeight);
        button->update();
    }
}

QString CCorvaleView::ToolTipText(int id) const
{
    CPhotoNode* photo = AsPhoto(m_pShown);
    if (id < 1 || !photo || photo->GetMediaCount() < id)
        return QString();
    std::string caption = photo->GetMediaChild(id - 1)->m_strCaption;
    // One byte is one character in the book's code page.
    if (caption.size() > kMaxTipLength)
        caption.resize(kMaxTipLength);
    return QString::fromStdString(Cp1252ToUtf8(caption));
}

bool CCorvaleView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button && std::find(m_buttons.begin(), m_buttons.end(), button) != m_buttons.end()) {
            QString tip = ToolTipText(button->property(kControlIdProperty).toInt());
            if (tip.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, button);
            return true;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void CCorvaleView::OnMediaButton(int id)
{
    setFocus(Qt::OtherFocusReason);
    CPhotoNode* photo = AsPhoto(m_pShown);
    CMediaNode* item = photo ? photo->GetMediaChild(id - 1) : nullptr;
    if (!item)
        return;
    // The tree pane selects the item and passes the selection back to us.
    Send(RouterMessage::SelectNode(item), this);
    item->Play();
}

void CCorvaleView::GetTrackSize(QSize& minTrack, QSize& maxTrack)
{
    CBaseNode* node = m_pSelected;
    while (node && node->IsMedia())
        node = node->m_pParent;
    const CSize* size = LoadedShownSize(node);
    if (!size)
        return;
    minTrack = QSize(75, 50);
    int maxWidth = 3 * m_nFrameBorder + size->cx;
    int maxHeight = 3 * m_nFrameBorder + m_nCaptionHeight + size->cy;
    // A scroll bar the picture needs takes room of its own.
    QMdiSubWindow* frame = DocumentWindow();
    if (QMdiArea* area = frame ? frame->mdiArea() : nullptr) {
        QSize client = area->viewport()->size();
        if (size->cx > client.width())
            maxHeight += m_nScrollBarSize + 1;
        if (size->cy > client.height())
            maxWidth += m_nScrollBarSize + 1;
    }
    maxTrack = QSize(maxWidth, maxHeight);
}

const QImage* CCorvaleView::PictureToDraw()
{
    CPhotoNode* photo = AsPhoto(m_pShown);
    if (!photo || !photo->m_pImage)
        return nullptr;
    SECImage* image = photo->GetShownImage();
    if (!image || image->GetWidth() == 0 || image->GetHeight() == 0)
        return nullptr;
    const QImage& picture = m_pictures.Get(*image, photo);
    return picture.isNull() ? nullptr : &picture;
}

void CCorvaleView::UpdateState()
{
    if (PictureToDraw()) {
        PlaceMediaButtons();
    } else {
        for (QAbstractButton* button : m_buttons)
            button->hide();
        LayoutPlaceholder();
    }
    viewport()->update();
}

QString CCorvaleView::PlaceholderText() const
{
    if (!m_pDocument)
        return QString();
    return QString::fromStdString(BuildPlaceholderText(*m_pDocument, m_pSelected, m_pShown));
}

void CCorvaleView::LayoutPlaceholder()
{
    m_bLayoutPending = false;
    QSize text = PhotoPlaceholder::Measure(PlaceholderText(), QFontMetrics(viewport()->font()));
    QSize client = viewport()->size();
    bool grow = false;
    if (client.width() < text.width()) {
        client.setWidth(text.width() + 20);
        grow = true;
    }
    if (client.height() < text.height()) {
        client.setHeight(text.height() + 10);
        grow = true;
    }
    if (grow) {
        client = client.expandedTo(QSize(400, 300));
        ResizeDocumentWindow(3 * m_nFrameBorder + client.width(),
                             3 * m_nFrameBorder + m_nCaptionHeight + client.height());
        SetScrollSizes(client, QSize(client.width() * 4 / 5, client.height() * 4 / 5));
    } else {
        SetScrollSizes(client);
    }
}

void CCorvaleView::SchedulePlaceholderLayout()
{
    // Resizing the window from inside its own resizing is left to the next turn
    // of the event loop.
    if (m_bLayoutPending)
        return;
    m_bLayoutPending = true;
    QPointer<CCorvaleView> self(this);
    QTimer::singleShot(0, this, [self]() {
        if (self && self->m_bLayoutPending && !self->PictureToDraw())
            self->LayoutPlaceholder();
        else if (self)
            self->m_bLayoutPending = false;
    });
}

void CCorvaleView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QImage* picture = PictureToDraw();
    if (!picture) {
        PhotoPlaceholder::Draw(painter, viewport()->rect(), PlaceholderText());
        return;
    }
    QPoint origin = -GetScrollPosition();
    QRect pictureRect(origin, picture->size());
    QRect visible = event->rect() & pictureRect;
    if (!visible.isEmpty())
        painter.drawImage(visible.topLeft(), *picture, visible.translated(-origin));
    // Right of and below the picture the view shows its grey.
    for (const QRect& rect : QRegion(event->rect()).subtracted(pictureRect))
        painter.fillRect(rect, PhotoPlaceholder::Grey());
}

void CCorvaleView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    if (PictureToDraw())
        PlaceMediaButtons();
    else
        SchedulePlaceholderLayout();
}

void CCorvaleView::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint client = viewport()->mapFromGlobal(event->globalPos());
    if (!viewport()->rect().contains(client))
        return;
    if (m_pHost)
        m_pHost->TrackContextMenu(CM_PHOTO, this, event->globalPos());
}

void CCorvaleView::scrollContentsBy(int dx, int)
{
    viewport()->update();
    if (dx != 0)
        for (int i = 0; i < m_nVisibleButtons && i < static_cast<int>(m_buttons.size()); ++i)
            m_buttons[static_cast<size_t>(i)]->update();
}

QPoint CCorvaleView::GetScrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CCorvaleView::SetScrollSizes(QSize total, QSize page, QSize line)
{
    m_sizeTotal = total;
    m_sizePage = QSize(page.width() > 0 ? page.width() : total.width() / 10,
                       page.height() > 0 ? page.height() : total.height() / 10);
    m_sizeLine = QSize(line.width() > 0 ? line.width() : m_sizePage.width() / 10,
                       line.height() > 0 ? line.height() : m_sizePage.height() / 10);
    UpdateScrollBars();
}

void CCorvaleView::UpdateScrollBars()
{
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    // Decide from the whole area which bars are needed, so that a picture that
    // fits without them never keeps them; each bar takes room from the other.
    QSize full = maximumViewportSize();
    int hExtent = h->sizeHint().height();
    int vExtent = v->sizeHint().width();
    bool needH = m_sizeTotal.width() > full.width();
    bool needV = m_sizeTotal.height() > full.height();
    if (needH && !needV)
        needV = m_sizeTotal.height() > full.height() - hExtent;
    if (needV && !needH)
        needH = m_sizeTotal.width() > full.width() - vExtent;
    QSize client(full.width() - (needV ? vExtent : 0), full.height() - (needH ? hExtent : 0));
    h->setRange(0, std::max(0, m_sizeTotal.width() - client.width()));
    v->setRange(0, std::max(0, m_sizeTotal.height() - client.height()));
    // The slider shows the visible part; paging uses the page size (OnScrollAction).
    h->setPageStep(std::max(1, client.width()));
    v->setPageStep(std::max(1, client.height()));
    h->setSingleStep(std::max(1, m_sizeLine.width()));
    v->setSingleStep(std::max(1, m_sizeLine.height()));
}

void CCorvaleView::ScrollToPosition(QPoint position)
{
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

void CCorvaleView::OnScrollAction(Qt::Orientation orientation, int action)
{
    QScrollBar* bar = orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    int page = std::max(1, orientation == Qt::Horizontal ? m_sizePage.width() : m_sizePage.height());
    if (action == QAbstractSlider::SliderPageStepAdd)
        bar->setSliderPosition(bar->value() + page);
    else if (action == QAbstractSlider::SliderPageStepSub)
        bar->setSliderPosition(bar->value() - page);
}

bool CCorvaleView::OnCommand(int id)
{
    if (id != ID_FILE_PRINT && id != ID_FILE_PRINT_DIRECT)
        return false;
    OnFilePrint(id == ID_FILE_PRINT);
    return true;
}

bool CCorvaleView::OnUpdateCommand(int id, CommandState& state)
{
    if (id != ID_FILE_PRINT && id != ID_FILE_PRINT_DIRECT)
        return false;
    state.enabled = m_pDocument != nullptr;
    return true;
}

void CCorvaleView::OnFilePrint(bool withDialog)
{
    if (!m_pDocument)
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (withDialog) {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, 1);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    // Failures are the print system's to report.
    PrintTo(printer);
}

bool CCorvaleView::PrintTo(QPrinter& printer)
{
    QImage page;
    if (const QImage* picture = PictureToDraw()) {
        page = *picture;
    } else {
        page = QImage(viewport()->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        QPainter placeholder(&page);
        placeholder.setFont(viewport()->font());
        PhotoPlaceholder::Draw(placeholder, page.rect(), PlaceholderText());
    }
    if (m_pDocument)
        printer.setDocName(QString::fromStdString(m_pDocument->GetTitle()));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // Printer coordinates are device pixels from the printable area's top-left.
    painter.drawImage(QPoint(0, 0), page);
    return painter.end();
}
