#pragma once
// The help window: the viewer's help pages beside their contents and their
// keyword index, with Back, Forward and Contents buttons. One per viewer; it
// stays open beside the main window until the user closes it.

#include "viewer/HelpTopics.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QUrl;

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows the window, the contents beside the page of `topic`.
    void ShowTopic(HelpTopic topic);
    // Shows the window at `url`, a page of the help, the contents beside it.
    void ShowPage(const QUrl& url);
    // Shows the window with its index, ready for a keyword to be typed.
    void ShowIndex();

    QTextBrowser* Browser() const { return m_pBrowser; }
    QTabWidget* Tabs() const { return m_pTabs; }
    QListWidget* ContentsList() const { return m_pContents; }
    QLineEdit* IndexFilter() const { return m_pFilter; }
    QListWidget* IndexList() const { return m_pIndex; }

private:
    void BuildContents();
    void BuildIndex();
    void FilterIndex(const QString& text);
    void OpenIndexEntry(QListWidgetItem* item);
    void OnSourceChanged(const QUrl& url);
    void Present();

    QTabWidget* m_pTabs;
    QListWidget* m_pContents;
    QLineEdit* m_pFilter;
    QListWidget* m_pIndex;
    QTextBrowser* m_pBrowser;
};
