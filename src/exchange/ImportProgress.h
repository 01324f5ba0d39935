#pragma once
// What an import shows while it runs: the progress dialog's lines and bars,
// its cancel flag and the wait cursor. The viewer's dialog implements it;
// headless runs go without one and tests record what it was told.

#include <string>

class ImportProgress {
public:
    virtual ~ImportProgress() = default;

    // The four texts (UTF-8) are kept until Refresh shows them together.
    virtual void SetMessage(const std::string& text) = 0;
    virtual void SetFileName(const std::string& text) = 0;
    virtual void SetFilesText(const std::string& text) = 0;
    virtual void SetBytesText(const std::string& text) = 0;
    // Bars run from 0 to 100 and move at once.
    virtual void SetFilesPercent(int percent) = 0;
    virtual void SetBytesPercent(int percent) = 0;
    // Shows the four texts and redraws the whole display now.
    virtual void Refresh() = 0;
    // True once the user asked to cancel; it stays set.
    virtual bool IsCancelled() const = 0;
    // Lets the user reach Cancel, and nothing else, while an extraction runs.
    virtual void ProcessInput() = 0;
    virtual void SetWaitCursor(bool on) = 0;
    // Keeps the finished display up for a moment before the book opens.
    virtual void Linger(int milliseconds) = 0;
};
