#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string MakeTempFolder(const char* prefix)
{
    std::string base = fs::temp_directory_path().string() + "/" + prefix + "XXXXXX";
    if (!mkdtemp(base.data()))
        throw std::runtime_error("cannot create a temporary folder");
    return base;
}

struct IsolatedRoot {
    std::string path;
    IsolatedRoot()
    {
        path = MakeTempFolder("corvale-test-");
        const char* dirs[] = {"home", "config", "data", "data-dirs", "cache", "tmp", "registry", "windows", "run"};
        for (const char* d : dirs)
            fs::create_directories(path + "/" + d);
        setenv("HOME", (path + "/home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (path + "/data").c_str(), 1);
        // The system's data folders too: an installed package must not change what tests see.
        setenv("XDG_DATA_DIRS", (path + "/data-dirs").c_str(), 1);
        // ... but the media back end's MIDI synthesiser finds its sound fonts only there.
        std::error_code ec;
        if (fs::is_directory("/usr/share/sounds", ec))
            fs::create_directory_symlink("/usr/share/sounds", path + "/data-dirs/sounds", ec);
        setenv("XDG_CACHE_HOME", (path + "/cache").c_str(), 1);
        // The runtime folder must be the user's alone, as a session's is.
        fs::permissions(path + "/run", fs::perms::owner_all, fs::perm_options::replace);
        setenv("XDG_RUNTIME_DIR", (path + "/run").c_str(), 1);
        setenv("CORVALE_REGISTRY_DIR", (path + "/registry").c_str(), 1);
        setenv("CORVALE_WINDOWS_DIR", (path + "/windows").c_str(), 1);
        setenv("TMPDIR", (path + "/tmp").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    ~IsolatedRoot()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

IsolatedRoot& Root()
{
    static IsolatedRoot root;
    return root;
}

// Set the variables before any test (or static object of the code under test) runs.
const bool g_isolated = (Root(), true);

} // namespace

const std::string& TestRoot()
{
    return Root().path;
}

TempDir::TempDir() : m_strPath(MakeTempFolder("dir-")) {}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::permissions(m_strPath, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_strPath, ec);
}

ScopedRegistry::ScopedRegistry()
{
    const char* prev = std::getenv("CORVALE_REGISTRY_DIR");
    m_strPrevious = prev ? prev : "";
    setenv("CORVALE_REGISTRY_DIR", m_dir.Path().c_str(), 1);
}

ScopedRegistry::~ScopedRegistry()
{
    setenv("CORVALE_REGISTRY_DIR", m_strPrevious.c_str(), 1);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name)
{
    const char* old = std::getenv(name);
    m_bHad = old != nullptr;
    if (old)
        m_strOld = old;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_bHad)
        setenv(m_name, m_strOld.c_str(), 1);
    else
        unsetenv(m_name);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool FileExistsAt(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}
