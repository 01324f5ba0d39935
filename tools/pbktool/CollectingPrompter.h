#pragma once
// Keeps the messages the viewer would have shown, for the tool to print, and
// answers questions with a fixed reply (the dialog's negative one unless told).

#include "platform/Prompter.h"

#include <optional>
#include <string>
#include <vector>

class CollectingPrompter : public Prompter {
public:
    explicit CollectingPrompter(std::optional<PromptReply> answer = std::nullopt)
        : m_answer(answer), m_pPrevious(Prompter::SetCurrent(this))
    {
    }
    ~CollectingPrompter() override { Prompter::SetCurrent(m_pPrevious); }

    PromptReply Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string&) override
    {
        if (icon != PromptIcon::Information)
            m_messages.push_back(text);
        if (buttons == PromptButtons::Ok || !m_answer)
            return NegativeReply(buttons);
        return *m_answer;
    }

    std::string Joined() const
    {
        std::string all;
        for (const std::string& m : m_messages)
            all += m + "\n";
        return all;
    }

    std::vector<std::string> m_messages;

private:
    std::optional<PromptReply> m_answer;
    Prompter* m_pPrevious;
};
