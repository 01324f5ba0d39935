#include "app/RecentFileList.h"

#include "platform/Settings.h"
#include "platform/SettingsKeys.h"

#include <algorithm>

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
