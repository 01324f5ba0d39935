#pragma once
// The photo view: draws the current photograph one picture pixel per screen
// pixel (its display copy when shrunk), sizes and scrolls its document window,
// carries a button per multimedia item, or shows a placeholder text.

#include "model/PhotoNode.h"
#include "model/Router.h"
#include "viewer/CommandTarget.h"
#include "viewer/DibImageCache.h"

#include <QAbstractScrollArea>
#include <QIcon>

#include <vector>

class CBaseNode;
class CCorvaleDoc;
class QAbstractButton;
class QMdiSubWindow;
class QPainter;
class QPrinter;

class ViewHost;
class CCorvaleView : public QAbstractScrollArea, public CRouter, public CommandTarget {
    Q_OBJECT
public:
    // The dynamic property that holds a media button's control identifier
    // (its index + 1).
    static const char* const kControlIdProperty;
    static constexpr int kButtonWidth = 21;
    static constexpr int kButtonHeight = 22;

    // `host` (not owned) is the program the view asks for settings, the
    // status bar and menus; without one it reads the stored settings.
    explicit CCorvaleView(CCorvaleDoc* doc, ViewHost* host = nullptr, QWidget* parent = nullptr);
    ~CCorvaleView() override;

    CCorvaleDoc* GetDocument() const { return m_pDocument; }

    // First showing of the document window: announces the current node.
    void OnInitialUpdate();
    void OnMessage(const RouterMessage& message) override;
    // Sizes the document window to the free area, sets the scroll sizes for a
    // width x height picture and scrolls a large one to its centre when asked.
    void FitToPicture(int width, int height);
    // Makes the media buttons match the multimedia items of m_pShown.
    void UpdateMediaButtons();
    // The document window's sizing limits while a picture is shown; left
    // alone otherwise.
    void GetTrackSize(QSize& minTrack, QSize& maxTrack);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // One page: the picture (or the placeholder) from the page's top-left
    // corner, one pixel per printer pixel. False when printing could not start.
    bool PrintTo(QPrinter& printer);
    // The tip of the media button with control identifier `id`; empty when
    // that button stands for no multimedia item.
    QString ToolTipText(int id) const;
    // What the placeholder says for the current selection.
    QString PlaceholderText() const;

    QSize GetTotalSize() const { return m_sizeTotal; }
    QSize GetPageSize() const { return m_sizePage; }
    QSize GetLineSize() const { return m_sizeLine; }
    QPoint GetScrollPosition() const;
    // True while the picture (not the placeholder) is drawn.
    bool ShowsPicture() { return PictureToDraw() != nullptr; }

    CBaseNode* m_pSelected = nullptr;
    CBaseNode* m_pShown = nullptr;
    int m_nVisibleButtons = 0;
    std::vector<QAbstractButton*> m_buttons; // children of the viewport; only grows

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnBookLoaded();
    void OnSelectNode(CBaseNode* node);
    void OnDisplaySettings();
    void OnMediaButton(int id);
    void OnFilePrint(bool withDialog);

    // Makes the display copy when asked and returns the shown size of
    // m_pShown, or null when it has no usable picture.
    const CSize* PrepareShown(bool prepare);
    DisplaySettings LiveDisplaySettings() const;
    bool CenterLargePhotos() const;
    void ShowStatusMessage(const QString& text) const;

    QMdiSubWindow* DocumentWindow() const;
    // Outer size; a maximised or tabbed window keeps the size its area gives it.
    void ResizeDocumentWindow(int width, int height);
    void UpdateFrameTrackSize();

    // The picture to draw now, or null when the placeholder is drawn.
    const QImage* PictureToDraw();
    // Buttons and, for the placeholder, window and scroll sizes follow the
    // state; then everything is repainted.
    void UpdateState();
    void LayoutPlaceholder();
    void SchedulePlaceholderLayout();
    void PlaceMediaButtons();
    QAbstractButton* CreateMediaButton(int id);

    // Empty page or line sizes take the defaults (a tenth of the total, a
    // tenth of the page).
    void SetScrollSizes(QSize total, QSize page = QSize(), QSize line = QSize());
    void UpdateScrollBars();
    void ScrollToPosition(QPoint position);
    void OnScrollAction(Qt::Orientation orientation, int action);

    CCorvaleDoc* m_pDocument;
    ViewHost* m_pHost; // not owned
    int m_nFrameBorder = 0;
    int m_nCaptionHeight = 0;
    int m_nScrollBarSize = 0;
    QIcon m_icons[4]; // sound, video, MIDI music, any other medium
    DibImageCache m_pictures;
    QSize m_sizeTotal{1, 1};
    QSize m_sizePage{0, 0};
    QSize m_sizeLine{1, 1};
    bool m_bLayoutPending = false;
};
