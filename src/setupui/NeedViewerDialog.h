#pragma once
// The notice for someone who will have no viewer after this installation:
// where to get Corvale. One button closes it.

#include <QDialog>

class QPushButton;

class NeedViewerDialog : public QDialog {
    Q_OBJECT
public:
    explicit NeedViewerDialog(QWidget* parent = nullptr);

    QPushButton* m_pClose;
};
