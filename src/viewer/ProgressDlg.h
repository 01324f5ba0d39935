#pragma once
// The import's progress dialog: a modeless, always-on-top tool window with the
// phase, the entry being written, file and byte counts with their bars, and a
// Cancel button that only raises the cancel flag.

#include "exchange/ImportProgress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDlg : public QDialog, public ImportProgress {
    Q_OBJECT
public:
    explicit CProgressDlg(QWidget* parent = nullptr);
    ~CProgressDlg() override;

    void SetMessage(const std::string& text) override;
    void SetFileName(const std::string& text) override;
    void SetFilesText(const std::string& text) override;
    void SetBytesText(const std::string& text) override;
    void SetFilesPercent(int percent) override;
    void SetBytesPercent(int percent) override;
    void Refresh() override;
    bool IsCancelled() const override { return m_bCancel; }
    void ProcessInput() override;
    void SetWaitCursor(bool on) override;
    void Linger(int milliseconds) override;

    QLabel* m_pPicture;
    QLabel* m_pMessage;
    QLabel* m_pFileName;
    QLabel* m_pFilesLine;
    QProgressBar* m_pFilesBar;
    QLabel* m_pBytesLine;
    QProgressBar* m_pBytesBar;
    QPushButton* m_pCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape would close a dialog; this one stays until the import ends.
    void reject() override {}

private:
    bool IsOwnWidget(QObject* object) const;

    QString m_strMessage;
    QString m_strFileName;
    QString m_strFilesLine;
    QString m_strBytesLine;
    bool m_bCancel = false;
    bool m_bWaitCursor = false;
};
