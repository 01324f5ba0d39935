#pragma once
// "Properties": kind, data file, data format or sender, file size and picture
// sizes of one node. It only shows.

#include <QDialog>

class CBaseNode;
class CCorvaleDoc;
class QLabel;
class QLineEdit;

class CPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    CPropertiesDlg(const CCorvaleDoc& doc, const CBaseNode* node, QWidget* parent = nullptr);

    QLineEdit* m_pKind;
    QLineEdit* m_pFileName;
    QLabel* m_pFormatLabel;
    QLineEdit* m_pFormat;
    QLineEdit* m_pFileSize;
    QLineEdit* m_pSizes;
};
