#pragma once
// What carrying out an installation tells the user while it works, and how the
// user can stop it: the progress dialog of the setup program, faked by tests.

#include <cstddef>
#include <string>

class InstallProgress {
public:
    virtual ~InstallProgress() = default;

    // Shows the dialog with its title and first name line.
    virtual void Open(const std::string& title, const std::string& nameLine) = 0;
    virtual void SetNameLine(const std::string& text) = 0;
    // The bar runs from 0 to `count`.
    virtual void SetRange(size_t count) = 0;
    virtual void SetPosition(size_t position) = 0;
    // Takes at most one waiting event for the dialog and handles it; this is
    // how a click on Cancel arrives while files are copied.
    virtual void PumpOneEvent() = 0;
    // Set by Cancel; only ever read, never reset, by the installation.
    virtual bool CancelRequested() const = 0;
    virtual void DisableCancel() = 0;
    // Called once, when the run ends whichever way.
    virtual void Close() = 0;
};

// Shows nothing and is never cancelled: for runs without a user interface.
class SilentProgress : public InstallProgress {
public:
    void Open(const std::string&, const std::string&) override {}
    void SetNameLine(const std::string&) override {}
    void SetRange(size_t) override {}
    void SetPosition(size_t) override {}
    void PumpOneEvent() override {}
    bool CancelRequested() const override { return false; }
    void DisableCancel() override {}
    void Close() override {}
};
