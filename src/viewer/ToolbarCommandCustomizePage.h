#pragma once
// The "Commands" page of the Customize sheet: the button groups "Main" and
// "Media" (the buttons of the two toolbars) and "Menu" (the commands of the
// menus), with a description of the command picked from a group.

#include <QWidget>

#include <string>

class CMainFrame;
class QLabel;
class QListWidget;

class CToolbarCommandCustomizePage : public QWidget {
    Q_OBJECT
public:
    explicit CToolbarCommandCustomizePage(CMainFrame* frame, QWidget* parent = nullptr);

    // What the description area says about command `id`.
    static std::string CommandDescription(int id);

    // Shows the commands of group `row` (0 "Main", 1 "Media", 2 "Menu").
    void SelectGroup(int row);

    QLabel* m_pIntro;
    QListWidget* m_pGroups;
    QListWidget* m_pCommands;
    QLabel* m_pDescription;

private:
    void OnCommandChanged();

    CMainFrame* m_pFrame;
};
