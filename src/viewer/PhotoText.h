#pragma once
// The "Photo Text" pane: the descriptive text of the current node. Its docking
// window is shown only while there is text to show. The selected text can be
// copied or dragged out.

#include "app/CommandTable.h"
#include "model/Router.h"
#include "viewer/CommandTarget.h"

#include <QPlainTextEdit>

#include <functional>

class CBaseNode;
class QDrag;

class QMenu;

class CPhotoText : public QPlainTextEdit, public CRouter, public CommandTarget {
    Q_OBJECT
public:
    // A new context menu of the given kind, owned by the caller.
    using MenuFactory = std::function<QMenu*(ContextMenuIndex)>;

    // Without a menu factory the pane shows no context menu.
    explicit CPhotoText(MenuFactory contextMenu = MenuFactory(), QWidget* parent = nullptr);
    ~CPhotoText() override;

    void OnMessage(const RouterMessage& message) override;
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // True when `pos` (viewport coordinates) lies on a selected character.
    bool IsInSelection(const QPoint& pos) const;
    // The selected text as copying and dragging offer it (line breaks as '\n').
    QString SelectedText() const;

    // Node of the last selection received; not owned, may be null.
    CBaseNode* m_pCurrent = nullptr;

signals:
    // Asks the main window to show or hide the pane's docking window.
    void ShowPaneRequested(bool show);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

    // Runs the drag-and-drop loop of `drag` (which then belongs to Qt) and gives its result.
    virtual Qt::DropAction RunDrag(QDrag* drag);
    // Shows the "Text" context menu at `globalPos` until the user is done with it.
    virtual void TrackPopup(const QPoint& globalPos);

private:
    void ShowText(const std::string& text);
    // The cell of the character at `index`, empty for a line break.
    QRect CharacterCell(int index) const;

    MenuFactory m_contextMenu;
};
