#pragma once
// The one way the core talks to the user: message boxes, yes/no questions and
// the wait cursor. The Qt programs show dialogs; tests record and script replies.

#include <deque>
#include <string>
#include <vector>

enum class PromptIcon { None, Exclamation, Information, Question, Stop };
// YesNoDefaultNo: a question whose safe answer is No, so Enter cannot say Yes.
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoDefaultNo, YesNoCancel, RetryCancel };
enum class PromptReply { Ok, Cancel, Yes, No, Retry };

class Prompter {
public:
    virtual ~Prompter() = default;

    // Shows `text` (UTF-8) and waits for the user's answer.
    virtual PromptReply Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                            const std::string& caption = std::string()) = 0;
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // The platform's save dialog: `path` holds the proposed name and receives
    // the chosen one. False when the user cancels.
    virtual bool ChooseSaveFile(const std::string& title, const std::string& filter,
                                std::string& path)
    {
        return false;
    }

    // A message box with an OK button, exclamation icon unless told otherwise.
    void Message(const std::string& text, PromptIcon icon = PromptIcon::Exclamation);

    // The prompter in force; never null. Without one installed, messages go to
    // standard error and questions are answered with their negative button.
    static Prompter& Current();
    // Installs `prompter` (not owned) and returns the previous one; null restores the default.
    static Prompter* SetCurrent(Prompter* prompter);
    // True while no prompter has been installed.
    static bool IsDefault();
};

// Shows the wait cursor for as long as it lives, whatever way the scope ends.
class WaitCursor {
public:
    explicit WaitCursor(Prompter& prompter = Prompter::Current()) : m_prompter(prompter)
    {
        m_prompter.BeginWait();
    }
    ~WaitCursor() { m_prompter.EndWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Prompter& m_prompter;
};

// Writes every message to standard error; questions get their negative answer.
class StderrPrompter : public Prompter {
public:
    PromptReply Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string& caption) override;
};

// Remembers every prompt and answers from a script of replies (then the default:
// OK for message boxes, the negative button for questions). Installs itself as
// the current prompter while it lives.
class RecordingPrompter : public Prompter {
public:
    struct Entry {
        std::string text;
        PromptButtons buttons;
        PromptIcon icon;
        std::string caption;
    };

    RecordingPrompter();
    ~RecordingPrompter() override;

    PromptReply Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string& caption) override;
    void BeginWait() override { ++m_nWaitDepth; ++m_nWaitCount; }
    void EndWait() override { --m_nWaitDepth; }
    // Answers from m_saveReplies (an empty reply cancels); records each proposal.
    bool ChooseSaveFile(const std::string& title, const std::string& filter,
                        std::string& path) override;

    void QueueReply(PromptReply reply) { m_replies.push_back(reply); }
    // Texts of all prompts so far, in order.
    std::vector<std::string> Texts() const;

    std::vector<Entry> m_entries;
    std::deque<PromptReply> m_replies;
    std::deque<std::string> m_saveReplies;
    std::vector<std::string> m_saveProposals;
    int m_nWaitDepth = 0;
    int m_nWaitCount = 0;

private:
    Prompter* m_pPrevious;
};

// The answer a dialog gives when the user closes it without choosing.
PromptReply NegativeReply(PromptButtons buttons);
