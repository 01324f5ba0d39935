// Leaks inside system libraries that a sanitizer build of the tests cannot
// fix: Qt Multimedia's PulseAudio engine keeps its context when no sound
// server answers (as on a build machine), and the media back end's MIDI
// synthesiser and sound output keep buffers they allocate once (their
// libraries have no frame pointers, so only the allocating call is known:
// GLib's g_malloc, or libc's vasprintf, which our code never calls). Read by
// LeakSanitizer at start.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libpulse.so\n"
           "leak:libglib-2.0.so\n"
           "leak:__vasprintf_internal\n";
}
