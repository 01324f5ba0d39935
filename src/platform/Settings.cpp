#include "platform/Settings.h"

#include <cstdint>
#include <utility>

Settings::Settings(Registry registry, std::string company, std::string application)
    : m_registry(std::move(registry)), m_strCompany(std::move(company)),
      m_strApplication(std::move(application))
{
}

Settings Settings::Profile()
{
    return Settings(Registry::Default());
}

std::string Settings::SectionKey(const std::string& section) const
{
    return "Software\\" + m_strCompany + "\\" + m_strApplication + "\\" + section;
}

int Settings::GetProfileInt(const std::string& section, const std::string& key, int def) const
{
    uint32_t value = 0;
    if (m_registry.GetDword(RegistryRoot::CurrentUser, SectionKey(section), key, value) !=
        RegistryStatus::Ok)
        return def;
    return static_cast<int>(value);
}

std::string Settings::GetProfileString(const std::string& section, const std::string& key,
                                       const std::string& def) const
{
    std::string value;
    if (m_registry.GetString(RegistryRoot::CurrentUser, SectionKey(section), key, value) !=
        RegistryStatus::Ok)
        return def;
    return value;
}

bool Settings::WriteProfileInt(const std::string& section, const std::string& key, int value)
{
    return m_registry.SetDword(RegistryRoot::CurrentUser, SectionKey(section), key,
                               static_cast<uint32_t>(value)) == RegistryStatus::Ok;
}

bool Settings::WriteProfileString(const std::string& section, const std::string& key,
                                  const std::string& value)
{
    return m_registry.SetString(RegistryRoot::CurrentUser, SectionKey(section), key, value) ==
           RegistryStatus::Ok;
}

int Settings::GetInt(SettingKey key) const
{
    const SettingInfo& info = SettingInfoOf(key);
    return GetProfileInt(info.section, info.name, info.defaultInt);
}

std::string Settings::GetString(SettingKey key) const
{
    const SettingInfo& info = SettingInfoOf(key);
    return GetProfileString(info.section, info.name, info.defaultText);
}

bool Settings::WriteInt(SettingKey key, int value)
{
    const SettingInfo& info = SettingInfoOf(key);
    return WriteProfileInt(info.section, info.name, value);
}

bool Settings::WriteString(SettingKey key, const std::string& value)
{
    const SettingInfo& info = SettingInfoOf(key);
    return WriteProfileString(info.section, info.name, value);
}
