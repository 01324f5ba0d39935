#include "app/RecentFileList.h"

#include "platform/Settings.h"
#include "platform/SettingsKeys.h"

#include <algorithm>

namespace {

// Characters, not bytes: a folder name in another script is no wider on screen.
size_t CharCount(const std::string& text, size_t from = 0)
{
    size_t count = 0;
    for (size_t i = from; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++count;
    return count;
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

size_t NextSeparator(const std::string& path, size_t from)
{
    while (from < path.size() && !IsSeparator(path[from]))
        ++from;
    return from;
}

} // namespace

void RecentFileList::Load(const Settings& settings)
{
    m_items.clear();
    for (size_t i = 1; i <= kSize; ++i) {
        std::string path =
            settings.GetProfileString(kRecentFileSection, RecentFileKey(static_cast<int>(i)));
        if (!path.empty() && std::find(m_items.begin(), m_items.end(), path) == m_items.end())
            m_items.push_back(path);
    }
}

void RecentFileList::Save(Settings& settings) const
{
    for (size_t i = 1; i <= kSize; ++i) {
        std::string key = RecentFileKey(static_cast<int>(i));
        if (i <= m_items.size())
            settings.WriteProfileString(kRecentFileSection, key, m_items[i - 1]);
        else
            settings.GetRegistry().DeleteValue(RegistryRoot::CurrentUser,
                                               settings.SectionKey(kRecentFileSection), key);
    }
}

void RecentFileList::Add(const std::string& path)
{
    if (path.empty())
        return;
    m_items.erase(std::remove(m_items.begin(), m_items.end(), path), m_items.end());
    m_items.insert(m_items.begin(), path);
    if (m_items.size() > kSize)
        m_items.resize(kSize);
}

void RecentFileList::Remove(size_t index)
{
    if (index < m_items.size())
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string RecentFileList::MenuText(size_t index) const
{
    std::string text = "&" + std::to_string(index + 1) + " ";
    // A single '&' would underline the next letter and hide itself.
    for (char c : AbbreviatePath(m_items.at(index), kMaxDisplayLength)) {
        text += c;
        if (c == '&')
            text += c;
    }
    return text;
}

std::string AbbreviatePath(const std::string& path, size_t maxChars)
{
    size_t nameStart = path.size();
    while (nameStart > 0 && !IsSeparator(path[nameStart - 1]))
        --nameStart;
    std::string name = path.substr(nameStart);
    if (CharCount(path) <= maxChars)
        return path;
    if (nameStart == 0 || CharCount(name) > maxChars)
        return name;

    // What always stays in front: the root with the first folder below it
    // ("/home", "C:\Photos", "\\server\share"), or only the root when the
    // file lies directly in it.
    size_t volume = 0;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        volume = NextSeparator(path, 2);
    else if (path.size() >= 2 && path[1] == ':')
        volume = 2;
    if (volume + 1 < nameStart)
        volume = NextSeparator(path, volume + 1);
    size_t volumeChars = CharCount(path.substr(0, volume));
    const size_t ellipsis = 4; // the separator and "..."
    if (volumeChars + ellipsis + 1 + CharCount(name) > maxChars)
        return name;

    // Drop leading folders of the rest until it fits; the file name alone
    // after the volume always does, by the test above.
    size_t tail = volume;
    while (volumeChars + ellipsis + CharCount(path, tail) > maxChars)
        tail = NextSeparator(path, tail + 1);
    return path.substr(0, volume) + path[tail] + "..." + path.substr(tail);
}
