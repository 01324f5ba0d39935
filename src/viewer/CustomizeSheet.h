#pragma once
// "Customize": the Display page (splitter style, centring, shrinking), the
// Toolbars page and the Commands page, with OK, Cancel and Apply.

#include <QDialog>

class CDisplayCustomizePage;
class CMainFrame;
class CToolbarCommandCustomizePage;
class CToolbarCustomizePage;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTabWidget;

class CCustomizeSheet : public QDialog {
    Q_OBJECT
public:
    explicit CCustomizeSheet(CMainFrame* frame);

    // A page's explanatory text: dark blue on the page's own background.
    static QLabel* CreateDescription(const QString& text, QWidget* parent);

    // OK: applies the pages, then closes.
    void accept() override;
    // Apply: applies the pages and keeps the sheet open.
    void OnApply();

    QTabWidget* m_pTabs;
    CDisplayCustomizePage* m_pDisplayPage;
    CToolbarCustomizePage* m_pToolbarPage;
    CToolbarCommandCustomizePage* m_pCommandPage;
    QDialogButtonBox* m_pButtons;
    QPushButton* m_pApply;
};
