#include "app/WindowPlacement.h"

#include "platform/Settings.h"
#include "platform/SettingsKeys.h"

PlacementRect ReadMainPlacement(const Settings& settings, const PlacementRect& workArea)
{
    // The size defaults depend on the screen, so the table cannot hold them.
    const SettingInfo& w = SettingInfoOf(SettingKey::Width);
    const SettingInfo& h = SettingInfoOf(SettingKey::Height);
    int width = settings.GetProfileInt(w.section, w.name, workArea.Width() - 16);
    int height = settings.GetProfileInt(h.section, h.name, workArea.Height() - 16);
    int left = settings.GetInt(SettingKey::HorizPos);
    int top = settings.GetInt(SettingKey::VertPos);
    return {left, top, left + width, top + height};
}

void WriteMainPlacement(Settings& settings, const PlacementRect& normal)
{
    settings.WriteInt(SettingKey::VertPos, normal.top);
    settings.WriteInt(SettingKey::HorizPos, normal.left);
    settings.WriteInt(SettingKey::Height, normal.Height());
    settings.WriteInt(SettingKey::Width, normal.Width());
}

PlacementPoint ReadChildOffset(const Settings& settings, ChildKind kind)
{
    bool photo = kind == ChildKind::Photo;
    int x = settings.GetInt(photo ? SettingKey::HorizPhotoPos : SettingKey::HorizMediaPos);
    int y = settings.GetInt(photo ? SettingKey::VertPhotoPos : SettingKey::VertMediaPos);
    return {x - 1, y - 1};
}

void WriteChildOffset(Settings& settings, ChildKind kind, PlacementPoint offset)
{
    bool photo = kind == ChildKind::Photo;
    settings.WriteInt(photo ? SettingKey::HorizPhotoPos : SettingKey::HorizMediaPos, offset.x + 1);
    settings.WriteInt(photo ? SettingKey::VertPhotoPos : SettingKey::VertMediaPos, offset.y + 1);
}
