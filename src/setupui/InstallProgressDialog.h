#pragma once
// The progress of carrying out an installation or uninstall: the file being
// worked on, a bar over the file list, and Cancel, which only raises the flag
// the work reads between files.

#include "setup/InstallProgress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class InstallProgressDialog : public QDialog, public InstallProgress {
    Q_OBJECT
public:
    explicit InstallProgressDialog(QWidget* parent = nullptr);

    void Open(const std::string& title, const std::string& nameLine) override;
    void SetNameLine(const std::string& text) override;
    void SetRange(size_t count) override;
    void SetPosition(size_t position) override;
    void PumpOneEvent() override;
    bool CancelRequested() const override { return m_bCancel; }
    void DisableCancel() override;
    void Close() override;

    QLabel* m_pNameLine;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;

protected:
    // Closing the window or Escape asks to cancel, as the button does, and
    // the dialog stays until the work has stopped.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void RequestCancel();

    bool m_bCancel = false;
    // The bar's range in the units it shows: the file count can pass what an int holds.
    size_t m_nRange = 0;
};
