#pragma once
// The four most recently opened files, newest first, kept in the settings
// section "Recent File List" as "File1".."File4".

#include <string>
#include <vector>

class Settings;

class RecentFileList {
public:
    static constexpr size_t kSize = 4;
    // The widest a path is shown on the File menu, in characters.
    static constexpr size_t kMaxDisplayLength = 30;

    void Load(const Settings& settings);
    void Save(Settings& settings) const;
    // Moves `path` to the front (adding it when new), dropping the oldest beyond four.
    void Add(const std::string& path);
    void Remove(size_t index);
    const std::vector<std::string>& Items() const { return m_items; }
    // The File menu's text for entry `index`: "&1" to "&4", a space and the
    // path shortened to kMaxDisplayLength, its ampersands doubled.
    std::string MenuText(size_t index) const;

private:
    std::vector<std::string> m_items;
};

// `path` (UTF-8, separated by '/' or a backslash) when it has at most `maxChars`
// characters; else its first folder, "..." and as many of its last folders
// and its file name as fit ("/home/.../Holidays/Trip.pbk"); else the file name
// alone, however long.
std::string AbbreviatePath(const std::string& path, size_t maxChars);
