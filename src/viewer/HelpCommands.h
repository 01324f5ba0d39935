#pragma once
// The Help menu's commands and keys: Help Topics, Help Index, F1 for the page
// of the pane that has the keyboard focus, and What's This (Shift+F1) through
// the toolkit's own mode, whose links open their help pages.

#include "viewer/CommandTarget.h"
#include "viewer/HelpTopics.h"
#include "viewer/HelpWindow.h"

#include <QObject>
#include <QPointer>


class CHelpCommands : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // The help window belongs to `owner`, the main window.
    explicit CHelpCommands(QWidget* owner);
    ~CHelpCommands() override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // The help window once it has been asked for, else null.
    CHelpWindow* Window() const { return m_pWindow; }
    // The topic of the pane or dialog that `widget` is part of; the contents
    // for anything else.
    static HelpTopic TopicOf(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CHelpWindow* EnsureWindow();

    QPointer<QWidget> m_pOwner;
    QPointer<CHelpWindow> m_pWindow;
};
