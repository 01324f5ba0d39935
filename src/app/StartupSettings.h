#pragma once
// Start-up decisions of the viewer that depend only on the settings and the
// screen: first-run display defaults, the centring switch, the installation folder.

#include "model/PhotoNode.h"

#include <string>

class Registry;
class Settings;

// On the first run only (PostInstallWasRun 0): picks the shrink settings for a
// screen of `width` x `height` pixels and marks the first run done.
void ApplyFirstRunDisplayDefaults(Settings& settings, int width, int height);

// Large photos are centred only when the setting is exactly 1.
bool ReadCenterLargePhotos(const Settings& settings);

// The shrink settings as stored.
DisplaySettings ReadDisplaySettings(const Settings& settings);

// The machine-wide installation folder the setup program recorded; the current
// directory when there is none. At most 259 characters, as the record allows.
std::string ReadInstallationFolder(const Registry& registry);
