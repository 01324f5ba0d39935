#include "platform/Prompter.h"

#include <cstdio>

namespace {
StderrPrompter g_defaultPrompter;
Prompter* g_pCurrent = nullptr;
}

void Prompter::Message(const std::string& text, PromptIcon icon)
{
    Ask(text, PromptButtons::Ok, icon);
}

Prompter& Prompter::Current()
{
    return g_pCurrent ? *g_pCurrent : g_defaultPrompter;
}

bool Prompter::IsDefault()
{
    return g_pCurrent == nullptr;
}

Prompter* Prompter::SetCurrent(Prompter* prompter)
{
    Prompter* previous = g_pCurrent;
    g_pCurrent = prompter;
    return previous;
}

PromptReply NegativeReply(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok: return PromptReply::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::YesNoDefaultNo: return PromptReply::No;
    case PromptButtons::OkCancel:
    case PromptButtons::YesNoCancel:
    case PromptButtons::RetryCancel: return PromptReply::Cancel;
    }
    return PromptReply::Cancel;
}

PromptReply StderrPrompter::Ask(const std::string& text, PromptButtons buttons, PromptIcon,
                                const std::string&)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    return NegativeReply(buttons);
}

RecordingPrompter::RecordingPrompter() : m_pPrevious(Prompter::SetCurrent(this)) {}

RecordingPrompter::~RecordingPrompter()
{
    Prompter::SetCurrent(m_pPrevious);
}

PromptReply RecordingPrompter::Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                                   const std::string& caption)
{
    m_entries.push_back({text, buttons, icon, caption});
    if (!m_replies.empty()) {
        PromptReply reply = m_replies.front();
        m_replies.pop_front();
        return reply;
    }
    return NegativeReply(buttons);
}

std::vector<std::string> RecordingPrompter::Texts() const
{
    std::vector<std::string> texts;
    for (const Entry& e : m_entries)
        texts.push_back(e.text);
    return texts;
}

bool RecordingPrompter::ChooseSaveFile(const std::string&, const std::string&, std::string& path)
{
    m_saveProposals.push_back(path);
    if (m_saveReplies.empty())
        return false;
    std::string reply = m_saveReplies.front();
    m_saveReplies.pop_front();
    if (reply.empty())
        return false;
    path = reply;
    return true;
}
