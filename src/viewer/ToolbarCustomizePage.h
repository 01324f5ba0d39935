#pragma once
// The "Toolbars" page of the Customize sheet: one check box per toolbar of the
// main window; ticking or clearing one shows or hides that toolbar at once.

#include <QWidget>

#include <vector>

class QCheckBox;
class QLabel;
class QMainWindow;
class QToolBar;

class CToolbarCustomizePage : public QWidget {
    Q_OBJECT
public:
    explicit CToolbarCustomizePage(QMainWindow* frame, QWidget* parent = nullptr);

    // The check box of the toolbar titled `title` ("Main Toolbar", "Media").
    QCheckBox* CheckBoxFor(const QString& title) const;

    QLabel* m_pDescription;
    std::vector<QCheckBox*> m_checkBoxes; // in the order of the toolbar table
};
