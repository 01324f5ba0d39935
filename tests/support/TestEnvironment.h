#pragma once
// Test isolation: every test binary runs with the registry store, the XDG
// folders, HOME and TMPDIR pointed at a private temporary folder (set before
// main), so no test touches a user's real settings, desktop or files.

#include <string>

// A fresh empty folder, removed with everything in it when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    // Path of `name` inside the folder.
    std::string File(const std::string& name) const { return m_strPath + "/" + name; }

private:
    std::string m_strPath;
};

// The process-wide isolated root that the environment variables point into.
const std::string& TestRoot();

// Points CORVALE_REGISTRY_DIR at a new empty folder for as long as it lives,
// so a test starts with an empty registry; restores the previous value after.
class ScopedRegistry {
public:
    ScopedRegistry();
    ~ScopedRegistry();
    const std::string& Folder() const { return m_dir.Path(); }

private:
    TempDir m_dir;
    std::string m_strPrevious;
};

// Sets an environment variable (or unsets it, for null) for the scope, then
// puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_bHad;
    std::string m_strOld;
};

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExistsAt(const std::string& path);
