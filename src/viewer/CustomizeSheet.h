#pragma once
// "Customize": the Display page (splitter style, centring, shrinking) and the
// Toolbars and Commands pages.

#include <QDialog>

class QTabWidget;

class CCustomizeSheet : public QDialog {
    Q_OBJECT
public:
    explicit CCustomizeSheet(QWidget* parent = nullptr);

    QTabWidget* m_pTabs;
};
