#include "platform/KeyboardLocks.h"

#if defined(__unix__)
#include <X11/XKBlib.h>
#include <dlfcn.h>
#endif

namespace {

#if defined(__unix__)

// X11 through the keyboard extension's named indicators, which follow the
// keymap rather than a fixed bit order. libX11 is bound at run time so that
// the core and its command-line tool need no X client library; a program on
// X has it loaded already.
class XkbKeyboardLocks : public KeyboardLocks {
public:
    ~XkbKeyboardLocks() override
    {
        if (m_display)
            m_closeDisplay(m_display);
        if (m_library)
            dlclose(m_library);
    }

    bool Open()
    {
        m_library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (!m_library)
            return false;
        auto openDisplay = Bind<decltype(&XOpenDisplay)>("XOpenDisplay");
        auto internAtom = Bind<decltype(&XInternAtom)>("XInternAtom");
        auto queryExtension = Bind<decltype(&XkbQueryExtension)>("XkbQueryExtension");
        m_closeDisplay = Bind<decltype(&XCloseDisplay)>("XCloseDisplay");
        m_getNamedIndicator = Bind<decltype(&XkbGetNamedIndicator)>("XkbGetNamedIndicator");
        if (!openDisplay || !internAtom || !queryExtension || !m_closeDisplay || !m_getNamedIndicator)
            return false;
        // The display the toolkit uses: the one $DISPLAY names.
        m_display = openDisplay(nullptr);
        if (!m_display)
            return false;
        int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
        if (!queryExtension(m_display, &opcode, &event, &error, &major, &minor))
            return false;
        const char* names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
        for (int i = 0; i < 3; ++i)
            m_atoms[i] = internAtom(m_display, names[i], False);
        return true;
    }

    std::optional<bool> IsOn(KeyboardLock lock) override
    {
        Atom atom = m_atoms[static_cast<int>(lock)];
        int index = 0;
        Bool on = False, physical = False;
        // A keymap without this indicator has no state to show. An indicator
        // with no lamp behind it (a virtual keyboard's) still follows its lock.
        if (atom == None || !m_getNamedIndicator(m_display, atom, &index, &on, nullptr, &physical))
            return std::nullopt;
        return on != False;
    }

private:
    template <typename Function>
    Function Bind(const char* name)
    {
        return reinterpret_cast<Function>(dlsym(m_library, name));
    }

    void* m_library = nullptr;
    Display* m_display = nullptr;
    Atom m_atoms[3] = {None, None, None};
    decltype(&XCloseDisplay) m_closeDisplay = nullptr;
    decltype(&XkbGetNamedIndicator) m_getNamedIndicator = nullptr;
};

#endif

} // namespace

std::unique_ptr<KeyboardLocks> KeyboardLocks::ForWindowSystem(const std::string& windowSystem)
{
#if defined(__unix__)
    if (windowSystem == "xcb") {
        auto locks = std::make_unique<XkbKeyboardLocks>();
        if (locks->Open())
            return locks;
    }
#else
    (void)windowSystem;
#endif
    return nullptr;
}
