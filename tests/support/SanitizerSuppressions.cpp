// Leaks inside system libraries that a sanitizer build of the tests cannot
// fix: Qt Multimedia's PulseAudio engine keeps its context when no sound
// server answers (as on a build machine). Read by LeakSanitizer at start.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libpulse.so\n";
}
