#pragma once
// The "Photo Text" pane: the descriptive text of the current node. Its docking
// window is shown only while there is text to show.

#include "model/Router.h"
#include "viewer/CommandTarget.h"

#include <QPlainTextEdit>

class CBaseNode;

class CPhotoText : public QPlainTextEdit, public CRouter, public CommandTarget {
    Q_OBJECT
public:
    explicit CPhotoText(QWidget* parent = nullptr);
    ~CPhotoText() override;

    void OnMessage(const RouterMessage& message) override;
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    CBaseNode* m_pCurrent = nullptr;

signals:
    // Asks the main window to show or hide the pane's docking window.
    void ShowPaneRequested(bool show);
};
