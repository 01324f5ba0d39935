#include "model/OldCorvaleDoc.h"

#include "model/Archive.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"

#include <strings.h>

void COldCorvaleDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        CCorvaleDoc::Serialize(ar);
        return;
    }
    ar.m_bOldLayout = true;
    ar.ReadText(m_strBookTitle);
    m_root.Serialize(ar);

    Settings profile = Settings::Profile();
    std::string section = PictureBookSection(m_strBookTitle);
    m_strOwnerName = profile.GetProfileString(section, kOwnerNameKey);
    m_strOwnerEmail = profile.GetProfileString(section, kOwnerEmailKey);
}

bool COldCorvaleDoc::OnSaveDocument(const std::string& path)
{
    if (!CCorvaleDoc::OnSaveDocument(path))
        return false;
    if (!m_bConversionShown) {
        GetPrompter().Message(MessageText(MessageId::PcsConversion), PromptIcon::Information);
        m_bConversionShown = 1;
    }
    return true;
}

std::string COldCorvaleDoc::AdjustSaveName(const std::string& name) const
{
    if (name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".pcs") == 0)
        return name.substr(0, name.size() - 4) + ".pbk";
    return name;
}
