#pragma once
// Where the main window and the document windows go, from the settings, and
// what they write back when they close.

#include <vector>

class Settings;

struct PlacementRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Stands in for the work area when the platform cannot say.
constexpr PlacementRect kFallbackWorkArea{0, 0, 480, 600};

// The main window's normal placement: "HorizPos"/"VertPos" (8), "Width"/"Height"
// (work-area size less 16).
PlacementRect ReadMainPlacement(const Settings& settings, const PlacementRect& workArea);
void WriteMainPlacement(Settings& settings, const PlacementRect& normal);

// `place` (a window's outer frame) as it is when its title bar lies on one of
// `workAreas`, else moved, and shrunk if need be, into the work area holding
// most of it (the nearest when none does), so the user can always reach it.
PlacementRect KeepTitleBarOnScreen(const PlacementRect& place, const std::vector<PlacementRect>& workAreas);

enum class ChildKind { Photo, Media };

struct PlacementPoint {
    int x = 0, y = 0;
};

// A document window's offset in the MDI client area: the stored value less 1
// (defaults 1 for the photo window, 25 for the media window).
PlacementPoint ReadChildOffset(const Settings& settings, ChildKind kind);
// Stores the offset plus 1, so that the window comes back where it was.
void WriteChildOffset(Settings& settings, ChildKind kind, PlacementPoint offset);
