#include "app/WindowPlacement.h"

#include "platform/Settings.h"
#include "platform/SettingsKeys.h"

#include <algorithm>

namespace {

// How much of a title bar must be on a screen for it to be caught with the mouse.
constexpr int kTitleBarHeight = 24;
constexpr int kTitleBarGrip = 48;

int Overlap(int a1, int a2, int b1, int b2)
{
    return std::max(0, std::min(a2, b2) - std::max(a1, b1));
}

} // namespace

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

PlacementRect KeepTitleBarOnScreen(const PlacementRect& place, const std::vector<PlacementRect>& workAreas)
{
    if (workAreas.empty())
        return place;
    for (const PlacementRect& area : workAreas)
        if (place.top >= area.top && place.top + kTitleBarHeight <= area.bottom &&
            Overlap(place.left, place.right, area.left, area.right) >= kTitleBarGrip)
            return place;
    // The work area holding most of the window, else the one nearest its title bar.
    const PlacementRect* best = &workAreas.front();
    long long most = 0;
    long long nearest = -1;
    int x = place.left + place.Width() / 2;
    for (const PlacementRect& area : workAreas) {
        long long shared = static_cast<long long>(Overlap(place.left, place.right, area.left, area.right)) *
                           Overlap(place.top, place.bottom, area.top, area.bottom);
        long long dx = x - std::clamp(x, area.left, area.right);
        long long dy = place.top - std::clamp(place.top, area.top, area.bottom);
        long long distance = dx * dx + dy * dy;
        if (shared > most || (most == 0 && shared == 0 && (nearest < 0 || distance < nearest))) {
            best = &area;
            most = shared;
            nearest = distance;
        }
    }
    int width = std::min(place.Width(), best->Width());
    int height = std::min(place.Height(), best->Height());
    int left = std::clamp(place.left, best->left, best->right - width);
    int top = std::clamp(place.top, best->top, best->bottom - height);
    return {left, top, left + width, top + height};
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
