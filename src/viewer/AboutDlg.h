#pragma once
// "About Corvale": the program's icon and name, its version from the version
// record of the running program file, and the company.

#include <QDialog>

class QLabel;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // `programPath` is the file whose version record is shown (empty text without one).
    explicit CAboutDlg(const QString& programPath, QWidget* parent = nullptr);

    QLabel* m_pIcon;
    QLabel* m_pVersion;
};
