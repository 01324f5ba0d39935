#pragma once
// The four most recently opened files, newest first, kept in the settings
// section "Recent File List" as "File1".."File4".

#include <string>
#include <vector>

class Settings;

class RecentFileList {
public:
    static constexpr size_t kSize = 4;

    void Load(const Settings& settings);
    void Save(Settings& settings) const;
    // Moves `path` to the front (adding it when new), dropping the oldest beyond four.
    void Add(const std::string& path);
    void Remove(size_t index);
    const std::vector<std::string>& Items() const { return m_items; }

private:
    std::vector<std::string> m_items;
};
