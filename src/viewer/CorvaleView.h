#pragma once
// The photo view: draws the current photograph one picture pixel per screen
// pixel (its display copy when shrunk), sizes and scrolls its document window,
// carries a button per multimedia item, or shows a placeholder text.

#include "model/Router.h"
#include "viewer/CommandTarget.h"

#include <QAbstractScrollArea>

#include <vector>

class CBaseNode;
class CCorvaleDoc;
class QAbstractButton;
class QPainter;

class CCorvaleView : public QAbstractScrollArea, public CRouter, public CommandTarget {
    Q_OBJECT
public:
    explicit CCorvaleView(CCorvaleDoc* doc, QWidget* parent = nullptr);
    ~CCorvaleView() override;

    CCorvaleDoc* GetDocument() const { return m_pDocument; }

    // First showing of the document window: announces the current node.
    void OnInitialUpdate();
    void OnMessage(const RouterMessage& message) override;
    void FitToPicture(int width, int height);
    void UpdateMediaButtons();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    CBaseNode* m_pSelected = nullptr;
    CBaseNode* m_pShown = nullptr;
    int m_nVisibleButtons = 0;
    std::vector<QAbstractButton*> m_buttons; // children of the viewport; only grows

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    CCorvaleDoc* m_pDocument;
};
