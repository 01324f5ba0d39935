#include "platform/Registry.h"

#include "platform/RegistryTree.h"
#include "platform/SystemFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace {

using TreePtr = std::shared_ptr<const RegistryTree>;

// A parsed store file and what identifies the version of it that was parsed.
// Every write renames a new file into place with a fresh random stamp in its
// header, so a changed stamp tells a new version even where the inode number
// is reused and the modification time has a coarse grain; the other fields
// catch a file edited by hand in place.
struct CachedStore {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    struct timespec mtime = {};
    uint64_t stamp = 0;
    TreePtr tree;
};

const size_t kMaxCachedStores = 64;

std::mutex& CacheMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<std::string, CachedStore>& Cache()
{
    static std::unordered_map<std::string, CachedStore> cache;
    return cache;
}

bool SameVersion(const CachedStore& c, const struct stat& st, uint64_t stamp)
{
    return c.dev == st.st_dev && c.ino == st.st_ino && c.size == st.st_size &&
           c.mtime.tv_sec == st.st_mtim.tv_sec && c.mtime.tv_nsec == st.st_mtim.tv_nsec &&
           c.stamp == stamp;
}

void Remember(const std::string& path, const struct stat& st, uint64_t stamp, TreePtr tree)
{
    std::lock_guard<std::mutex> lock(CacheMutex());
    auto& cache = Cache();
    if (cache.size() >= kMaxCachedStores && cache.find(path) == cache.end())
        cache.clear();
    CachedStore& c = cache[path];
    c.dev = st.st_dev;
    c.ino = st.st_ino;
    c.size = st.st_size;
    c.mtime = st.st_mtim;
    c.stamp = stamp;
    c.tree = std::move(tree);
}

TreePtr Lookup(const std::string& path, const struct stat& st, uint64_t stamp)
{
    std::lock_guard<std::mutex> lock(CacheMutex());
    auto it = Cache().find(path);
    if (it != Cache().end() && SameVersion(it->second, st, stamp))
        return it->second.tree;
    return nullptr;
}

const TreePtr& EmptyTree()
{
    static const TreePtr empty = std::make_shared<const RegistryTree>();
    return empty;
}

std::string ErrnoText(const std::string& path, const char* what, int err)
{
    return path + ": " + what + ": " + std::strerror(err);
}

// Closes a descriptor when the scope ends.
class FileHandle {
public:
    explicit FileHandle(int fd = -1) : m_fd(fd) {}
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle& operator=(FileHandle&& other) noexcept
    {
        if (this != &other) {
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = other.Release();
        }
        return *this;
    }
    int Get() const { return m_fd; }
    int Release()
    {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool ReadAll(int fd, std::string& out, size_t sizeHint)
{
    out.clear();
    out.reserve(sizeHint);
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            out.append(buffer, static_cast<size_t>(n));
        else if (n == 0)
            return true;
        else if (errno != EINTR)
            return false;
    }
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EINTR)
            return false;
    }
    return true;
}

// Loads a store file, from the cache when the file is the version cached.
// A missing file is an empty store.
RegistryStatus LoadStore(const std::string& path, TreePtr& tree, std::string& error)
{
    // Not blocking: a pipe in the store's place is refused below, not waited on.
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0) {
        if (errno == ENOENT) {
            tree = EmptyTree();
            return RegistryStatus::Ok;
        }
        error = ErrnoText(path, "cannot open", errno);
        return RegistryStatus::IoError;
    }
    struct stat st;
    if (::fstat(file.Get(), &st) != 0) {
        error = ErrnoText(path, "cannot stat", errno);
        return RegistryStatus::IoError;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + ": not a regular file";
        return RegistryStatus::IoError;
    }
    char head[64];
    ssize_t n;
    while ((n = ::pread(file.Get(), head, sizeof head, 0)) < 0 && errno == EINTR) {
    }
    uint64_t stamp = 0;
    if (n > 0 && RegistryTree::ParseStamp(head, static_cast<size_t>(n), stamp)) {
        if (TreePtr cached = Lookup(path, st, stamp)) {
            tree = std::move(cached);
            return RegistryStatus::Ok;
        }
    }
    std::string text;
    if (!ReadAll(file.Get(), text, static_cast<size_t>(st.st_size))) {
        error = ErrnoText(path, "cannot read", errno);
        return RegistryStatus::IoError;
    }
    auto parsed = std::make_shared<RegistryTree>();
    std::string why;
    if (!parsed->Parse(text, why)) {
        error = path + ": damaged registry store: " + why;
        return RegistryStatus::Damaged;
    }
    tree = parsed;
    Remember(path, st, stamp, tree);
    return RegistryStatus::Ok;
}

// mkdir -p, new folders private to the user.
bool MakeFolders(const std::string& folder, std::string& error)
{
    if (folder.empty()) {
        error = "no registry folder";
        return false;
    }
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/')
            continue;
        std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = ErrnoText(part, "cannot create folder", errno);
            return false;
        }
    }
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = folder + ": not a folder";
        return false;
    }
    return true;
}

uint64_t NewStamp()
{
    static std::mutex mutex;
    static std::mt19937_64 generator{std::random_device{}()};
    std::lock_guard<std::mutex> lock(mutex);
    return generator() ^ (static_cast<uint64_t>(::getpid()) << 32);
}

// Temporary files are created and renamed (or removed) while the lock is held,
// so any found under the lock were left by a writer that died.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (struct dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            ::unlink((folder + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
}

// Writes `text` to a temporary file in `folder` and renames it over `path`.
bool ReplaceFile(const std::string& folder, const std::string& tempPrefix,
                 const std::string& path, const std::string& text, std::string& error)
{
    std::string temp = folder + "/" + tempPrefix + "XXXXXX";
    FileHandle file(::mkostemp(&temp[0], O_CLOEXEC));
    if (file.Get() < 0) {
        error = ErrnoText(folder, "cannot create a temporary file", errno);
        return false;
    }
    const char* failed = nullptr;
    if (!WriteAll(file.Get(), text))
        failed = "cannot write";
    else if (::fsync(file.Get()) != 0)
        failed = "cannot flush";
    else if (::close(file.Release()) != 0)
        failed = "cannot close";
    else if (::rename(temp.c_str(), path.c_str()) != 0)
        failed = "cannot replace the store with";
    if (failed) {
        error = ErrnoText(temp, failed, errno);
        ::unlink(temp.c_str());
        return false;
    }
    FileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0 && ::fsync(dir.Get()) != 0 && errno != EINVAL) {
        error = ErrnoText(folder, "cannot flush folder", errno);
        return false;
    }
    return true;
}

std::string RootFileName(RegistryRoot root)
{
    return std::string(Registry::RootName(root)) + ".reg";
}

} // namespace

Registry::Registry(std::string folder) : m_strFolder(std::move(folder))
{
    while (m_strFolder.size() > 1 && m_strFolder.back() == '/')
        m_strFolder.pop_back();
}

std::string Registry::DefaultFolder()
{
    const char* folder = std::getenv("CORVALE_REGISTRY_DIR");
    if (folder && *folder)
        return folder;
    return SystemFolders::ConfigHome() + "/Quillfen/registry";
}

Registry Registry::Default()
{
    return Registry(DefaultFolder());
}

const char* Registry::RootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::CurrentConfig: return "HKEY_CURRENT_CONFIG";
    case RegistryRoot::Users: return "HKEY_USERS";
    }
    return "HKEY_UNKNOWN";
}

std::string Registry::FileOf(RegistryRoot root) const
{
    return m_strFolder + "/" + RootFileName(root);
}

namespace {

// Loads the store of `root`, recording the cause of a failure in `lastError`.
RegistryStatus Load(const Registry& registry, RegistryRoot root, TreePtr& tree,
                    std::string& lastError)
{
    if (registry.Folder().empty()) {
        lastError = "no registry folder";
        return RegistryStatus::IoError;
    }
    std::string error;
    RegistryStatus status = LoadStore(registry.FileOf(root), tree, error);
    if (status != RegistryStatus::Ok)
        lastError = error;
    return status;
}

// Takes the writers' lock of the store of `root` (held while `lock` lives),
// making the folder when needed.
bool LockStore(const Registry& registry, RegistryRoot root, FileHandle& lock, std::string& lastError)
{
    const std::string& folder = registry.Folder();
    std::string error;
    if (!MakeFolders(folder, error)) {
        lastError = error;
        return false;
    }
    std::string lockPath = folder + "/." + RootFileName(root) + ".lock";
    lock = FileHandle(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.Get() < 0) {
        lastError = ErrnoText(lockPath, "cannot open lock file", errno);
        return false;
    }
    int rc;
    while ((rc = ::flock(lock.Get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        lastError = ErrnoText(lockPath, "cannot lock", errno);
        return false;
    }
    return true;
}

// Read-modify-write of one store under its lock. `change` edits a copy of the
// store and says whether anything changed; nothing is written otherwise.
RegistryStatus Modify(const Registry& registry, RegistryRoot root, std::string& lastError,
                      const std::function<RegistryStatus(RegistryTree&, bool&)>& change)
{
    FileHandle lock;
    if (!LockStore(registry, root, lock, lastError))
        return RegistryStatus::IoError;

    const std::string& folder = registry.Folder();
    std::string name = RootFileName(root);
    std::string path = registry.FileOf(root);
    std::string error;
    TreePtr current;
    RegistryStatus status = LoadStore(path, current, error);
    if (status != RegistryStatus::Ok) {
        lastError = error;
        return status;
    }
    auto updated = std::make_shared<RegistryTree>(*current);
    bool changed = false;
    status = change(*updated, changed);
    if (status != RegistryStatus::Ok || !changed)
        return status;

    std::string tempPrefix = "." + name + ".tmp.";
    RemoveStaleTemporaries(folder, tempPrefix);
    uint64_t stamp = NewStamp();
    if (!ReplaceFile(folder, tempPrefix, path, updated->Serialize(stamp), error)) {
        lastError = error;
        return RegistryStatus::IoError;
    }
    // No other writer can have replaced the file while the lock is held.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        Remember(path, st, stamp, updated);
    return RegistryStatus::Ok;
}

} // namespace

RegistryStatus Registry::CreateKey(RegistryRoot root, const std::string& key)
{
    std::vector<std::string> parts = RegistryTree::SplitPath(key);
    return Modify(*this, root, m_strLastError, [&](RegistryTree& tree, bool& changed) {
        tree.CreateKey(parts, changed);
        return RegistryStatus::Ok;
    });
}

bool Registry::KeyExists(RegistryRoot root, const std::string& key) const
{
    TreePtr tree;
    if (Load(*this, root, tree, m_strLastError) != RegistryStatus::Ok)
        return false;
    return tree->FindKey(RegistryTree::SplitPath(key)) != nullptr;
}

bool Registry::HasSubKey(RegistryRoot root, const std::string& key,
                         const std::string& subKey) const
{
    return KeyExists(root, key + "\\" + subKey);
}

RegistryStatus Registry::GetString(RegistryRoot root, const std::string& key,
                                   const std::string& value, std::string& out) const
{
    TreePtr tree;
    RegistryStatus status = Load(*this, root, tree, m_strLastError);
    if (status != RegistryStatus::Ok)
        return status;
    const RegistryTree::Key* k = tree->FindKey(RegistryTree::SplitPath(key));
    const RegistryTree::Value* v = k ? k->FindValue(value) : nullptr;
    if (!v)
        return RegistryStatus::NotFound;
    if (v->bDword)
        return RegistryStatus::WrongType;
    out = v->strText;
    return RegistryStatus::Ok;
}

RegistryStatus Registry::GetDword(RegistryRoot root, const std::string& key,
                                  const std::string& value, uint32_t& out) const
{
    TreePtr tree;
    RegistryStatus status = Load(*this, root, tree, m_strLastError);
    if (status != RegistryStatus::Ok)
        return status;
    const RegistryTree::Key* k = tree->FindKey(RegistryTree::SplitPath(key));
    const RegistryTree::Value* v = k ? k->FindValue(value) : nullptr;
    if (!v)
        return RegistryStatus::NotFound;
    if (!v->bDword)
        return RegistryStatus::WrongType;
    out = v->nDword;
    return RegistryStatus::Ok;
}

namespace {

// Sets a value, keeping the case of an existing name; no change is no write.
RegistryStatus SetValue(RegistryTree& tree, const std::vector<std::string>& parts,
                        RegistryTree::Value value, bool& changed)
{
    RegistryTree::Key& key = tree.CreateKey(parts, changed);
    if (RegistryTree::Value* old = key.FindValue(value.strName)) {
        if (old->bDword != value.bDword || old->strText != value.strText ||
            old->nDword != value.nDword) {
            value.strName = old->strName;
            *old = std::move(value);
            changed = true;
        }
    } else {
        key.values.push_back(std::move(value));
        changed = true;
    }
    return RegistryStatus::Ok;
}

} // namespace

RegistryStatus Registry::SetString(RegistryRoot root, const std::string& key,
                                   const std::string& value, const std::string& data)
{
    std::vector<std::string> parts = RegistryTree::SplitPath(key);
    RegistryTree::Value v;
    v.strName = value;
    v.strText = data;
    return Modify(*this, root, m_strLastError, [&](RegistryTree& tree, bool& changed) {
        return SetValue(tree, parts, v, changed);
    });
}

RegistryStatus Registry::SetDword(RegistryRoot root, const std::string& key,
                                  const std::string& value, uint32_t data)
{
    std::vector<std::string> parts = RegistryTree::SplitPath(key);
    RegistryTree::Value v;
    v.strName = value;
    v.bDword = true;
    v.nDword = data;
    return Modify(*this, root, m_strLastError, [&](RegistryTree& tree, bool& changed) {
        return SetValue(tree, parts, v, changed);
    });
}

RegistryStatus Registry::DeleteValue(RegistryRoot root, const std::string& key,
                                     const std::string& value)
{
    std::vector<std::string> parts = RegistryTree::SplitPath(key);
    return Modify(*this, root, m_strLastError, [&](RegistryTree& tree, bool& changed) {
        RegistryTree::Key* found = tree.FindKey(parts);
        changed = found && found->EraseValue(value);
        return changed ? RegistryStatus::Ok : RegistryStatus::NotFound;
    });
}

RegistryStatus Registry::DeleteKey(RegistryRoot root, const std::string& key)
{
    std::vector<std::string> parts = RegistryTree::SplitPath(key);
    if (parts.empty()) {
        m_strLastError = std::string(RootName(root)) + ": a root key cannot be deleted";
        return RegistryStatus::IoError;
    }
    return Modify(*this, root, m_strLastError, [&](RegistryTree& tree, bool& changed) {
        changed = tree.DeleteKey(parts);
        return changed ? RegistryStatus::Ok : RegistryStatus::NotFound;
    });
}

std::vector<std::string> Registry::SubKeys(RegistryRoot root, const std::string& key) const
{
    TreePtr tree;
    if (Load(*this, root, tree, m_strLastError) != RegistryStatus::Ok)
        return {};
    return tree->SubKeys(RegistryTree::SplitPath(key));
}

std::vector<std::string> Registry::ValueNames(RegistryRoot root, const std::string& key) const
{
    std::vector<std::string> names;
    TreePtr tree;
    if (Load(*this, root, tree, m_strLastError) != RegistryStatus::Ok)
        return names;
    if (const RegistryTree::Key* k = tree->FindKey(RegistryTree::SplitPath(key)))
        for (const RegistryTree::Value& v : k->values)
            names.push_back(v.strName);
    return names;
}

namespace {

constexpr int kMaxKeptCopies = 999;

std::string KeptCopyName(const std::string& path, int n)
{
    return path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
}

} // namespace

std::string Registry::KeptCopyPath(RegistryRoot root) const
{
    std::string path = FileOf(root);
    struct stat st;
    for (int n = 1; n < kMaxKeptCopies; ++n)
        if (::lstat(KeptCopyName(path, n).c_str(), &st) != 0)
            return KeptCopyName(path, n);
    return KeptCopyName(path, kMaxKeptCopies);
}

bool Registry::IsFromNewerProgram(RegistryRoot root) const
{
    FileHandle file(::open(FileOf(root).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st;
    if (file.Get() < 0 || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    char head[64];
    ssize_t n;
    while ((n = ::pread(file.Get(), head, sizeof head, 0)) < 0 && errno == EINTR) {
    }
    return n > 0 && RegistryTree::IsNewerFormat(head, static_cast<size_t>(n));
}

RegistryStatus Registry::CheckStore(RegistryRoot root) const
{
    TreePtr tree;
    return Load(*this, root, tree, m_strLastError);
}

RegistryStatus Registry::KeepDamagedStoreAside(RegistryRoot root, std::string& keptPath)
{
    FileHandle lock;
    if (!LockStore(*this, root, lock, m_strLastError))
        return RegistryStatus::IoError;
    // Under the lock no writer replaces the file, and none writes a damaged one.
    std::string path = FileOf(root), error;
    TreePtr tree;
    RegistryStatus status = LoadStore(path, tree, error);
    if (status != RegistryStatus::Damaged || IsFromNewerProgram(root)) {
        if (status != RegistryStatus::Ok)
            m_strLastError = error;
        return status;
    }
    // A new name beside it, never one that exists: an earlier kept copy stays.
    for (int n = 1; n <= kMaxKeptCopies; ++n) {
        keptPath = KeptCopyName(path, n);
        if (::link(path.c_str(), keptPath.c_str()) == 0) {
            if (::unlink(path.c_str()) != 0) {
                m_strLastError = ErrnoText(path, "cannot remove", errno);
                ::unlink(keptPath.c_str());
                return RegistryStatus::IoError;
            }
            return RegistryStatus::Ok;
        }
        if (errno != EEXIST) {
            m_strLastError = ErrnoText(keptPath, "cannot keep a copy as", errno);
            return RegistryStatus::IoError;
        }
    }
    m_strLastError = path + ": too many kept copies";
    return RegistryStatus::IoError;
}
