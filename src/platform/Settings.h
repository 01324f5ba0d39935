#pragma once
// The per-user profile: integer and text settings in sections under
// HKEY_CURRENT_USER\Software\<company>\<application>.

#include "platform/Registry.h"
#include "platform/SettingsKeys.h"

#include <string>

class Settings {
public:
    explicit Settings(Registry registry, std::string company = kCompanyName,
                      std::string application = kApplicationName);
    // The profile in the default registry folder.
    static Settings Profile();

    // A section may hold backslashes: "PictureBooks\\" + title names a deeper key.
    // A missing value, or one of the other type, gives the default.
    int GetProfileInt(const std::string& section, const std::string& key, int def) const;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& def = std::string()) const;
    // Integers are stored as REG_DWORD, texts as REG_SZ; false when not stored.
    bool WriteProfileInt(const std::string& section, const std::string& key, int value);
    bool WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value);

    // The same with section, name and default taken from the settings table.
    int GetInt(SettingKey key) const;
    std::string GetString(SettingKey key) const;
    bool WriteInt(SettingKey key, int value);
    bool WriteString(SettingKey key, const std::string& value);

    Registry& GetRegistry() { return m_registry; }
    // HKCU path of a section ("Software\\Quillfen\\Corvale\\Settings").
    std::string SectionKey(const std::string& section) const;

private:
    Registry m_registry;
    std::string m_strCompany;
    std::string m_strApplication;
};
