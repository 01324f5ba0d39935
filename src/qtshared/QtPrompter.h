#pragma once
// Shows the core's messages and questions as Qt message boxes, the wait
// cursor as the busy cursor, and the save dialog as Qt's file dialog.

#include "platform/Prompter.h"

class QWidget;

class QtPrompter : public Prompter {
public:
    // `parent` (may change later through SetParent) owns the dialogs.
    explicit QtPrompter(QWidget* parent = nullptr);
    ~QtPrompter() override;

    void SetParent(QWidget* parent) { m_pParent = parent; }

    PromptReply Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string& caption) override;
    void BeginWait() override;
    void EndWait() override;
    bool ChooseSaveFile(const std::string& title, const std::string& filter,
                        std::string& path) override;

private:
    QWidget* m_pParent;
    Prompter* m_pPrevious;
};
