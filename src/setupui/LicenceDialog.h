#pragma once
// The licence agreement: the whole text to read and a Yes or No; No (the
// default) ends setup.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class LicenceDialog : public QDialog {
    Q_OBJECT
public:
    explicit LicenceDialog(const QString& text, QWidget* parent = nullptr);

    QPlainTextEdit* m_pText;
    QPushButton* m_pYes;
    QPushButton* m_pNo;
};
