#pragma once
// The keyboard's lock lights (Caps, Num and Scroll Lock) as the window system
// reports them, for the status bar's lock panes.

#include <memory>
#include <optional>
#include <string>

enum class KeyboardLock { Caps, Num, Scroll };

class KeyboardLocks {
public:
    virtual ~KeyboardLocks() = default;

    // Whether `lock` is on now; nothing when its state cannot be read.
    virtual std::optional<bool> IsOn(KeyboardLock lock) = 0;

    // The reader for the window system the program's windows are on, by its
    // toolkit name ("xcb" for X11); null where none can read the lights
    // (offscreen, Wayland, no X server), so that nothing is guessed.
    static std::unique_ptr<KeyboardLocks> ForWindowSystem(const std::string& windowSystem);
};
