#include "platform/PathResolver.h"

#include "platform/CodePage.h"
#include "platform/RegistryTree.h"
#include "platform/SystemFolders.h"

#include <algorithm>
#include <ctime>
#include <dirent.h>
#include <mutex>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace {

// One folder's entries by lower-cased name, and the folder version they are of.
struct Listing {
    dev_t dev = 0;
    ino_t ino = 0;
    struct timespec mtime = {};
    time_t listedAt = 0;
    std::unordered_map<std::string, std::vector<std::string>> byLowerName;
};

const size_t kMaxCachedFolders = 32;

std::mutex& ListingMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<std::string, Listing>& Listings()
{
    static std::unordered_map<std::string, Listing> listings;
    return listings;
}

bool SameFolderVersion(const Listing& l, const struct stat& st)
{
    return l.dev == st.st_dev && l.ino == st.st_ino && l.mtime.tv_sec == st.st_mtim.tv_sec &&
           l.mtime.tv_nsec == st.st_mtim.tv_nsec;
}

// File times have a coarse grain: a change made in the same tick as the
// listing may leave the folder's modification time as it was. Until the
// folder is older than that, a listing that lacks a name is not trusted.
bool MayMissChanges(const Listing& l)
{
    return l.listedAt - l.mtime.tv_sec <= 1;
}

bool ReadListing(const std::string& folder, const struct stat& st, Listing& out)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    out = Listing();
    out.dev = st.st_dev;
    out.ino = st.st_ino;
    out.mtime = st.st_mtim;
    out.listedAt = std::time(nullptr);
    while (struct dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        out.byLowerName[LowerAscii(name)].push_back(name);
    }
    ::closedir(dir);
    for (auto& entry : out.byLowerName)
        std::sort(entry.second.begin(), entry.second.end());
    return true;
}

// Entries of `folder` whose lower-cased name is `lowerName`, in byte order.
std::vector<std::string> CaseMatches(const std::string& folder, const std::string& lowerName)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    {
        std::lock_guard<std::mutex> lock(ListingMutex());
        auto it = Listings().find(folder);
        if (it != Listings().end() && SameFolderVersion(it->second, st)) {
            auto found = it->second.byLowerName.find(lowerName);
            if (found != it->second.byLowerName.end())
                return found->second;
            if (!MayMissChanges(it->second))
                return {};
        }
    }
    Listing listing;
    if (!ReadListing(folder, st, listing))
        return {};
    std::vector<std::string> matches;
    auto found = listing.byLowerName.find(lowerName);
    if (found != listing.byLowerName.end())
        matches = found->second;
    std::lock_guard<std::mutex> lock(ListingMutex());
    auto& listings = Listings();
    if (listings.size() >= kMaxCachedFolders && listings.find(folder) == listings.end())
        listings.clear();
    listings[folder] = std::move(listing);
    return matches;
}

bool Fits(const std::string& path, bool needFolder)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && (!needFolder || S_ISDIR(st.st_mode));
}

std::string Join(const std::vector<std::string>& parts, size_t count)
{
    std::string path;
    for (size_t i = 0; i < count; ++i)
        path += "/" + parts[i];
    return path.empty() ? std::string("/") : path;
}

std::string Child(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// The real name in `folder` that `name` stands for, or "" when there is none.
std::string MatchComponent(const std::string& folder, const std::string& name, bool needFolder)
{
    std::vector<std::string> forms{name};
    bool eightBit = std::any_of(name.begin(), name.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (eightBit) {
        std::string utf8 = Cp1252ToUtf8(name);
        if (utf8 != name)
            forms.push_back(utf8);
    }
    for (const std::string& form : forms)
        if (Fits(Child(folder, form), needFolder))
            return form;
    for (const std::string& form : forms)
        for (const std::string& entry : CaseMatches(folder, LowerAscii(form)))
            if (Fits(Child(folder, entry), needFolder))
                return entry;
    return std::string();
}

std::vector<std::string> SplitSlashes(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool HasDrive(const std::string& name)
{
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

std::string PathResolver::ToPlatformSeparators(const std::string& name)
{
    std::string out(name);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

bool PathResolver::IsRelative(const std::string& storedName)
{
    size_t start = HasDrive(storedName) ? 2 : 0;
    return start >= storedName.size() || !IsSeparator(storedName[start]);
}

std::string PathResolver::Resolve(const std::string& storedName, const std::string& bookFolder)
{
    if (storedName.empty() || storedName.find('\0') != std::string::npos)
        return std::string();
    if (storedName.size() >= 2 && IsSeparator(storedName[0]) && IsSeparator(storedName[1]))
        return std::string();
    std::string name = ToPlatformSeparators(storedName);

    // The base: the root for an absolute name, else the book folder, made absolute.
    std::vector<std::string> parts;
    if (IsRelative(storedName)) {
        std::string base = bookFolder;
        if (base.empty() || base[0] != '/')
            base = SystemFolders::CurrentDirectory() + (base.empty() ? "" : "/" + base);
        for (const std::string& part : SplitSlashes(base)) {
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (part != ".") {
                parts.push_back(part);
            }
        }
    }
    // The base's own components are real names; only those of the stored name
    // are matched, and ".." is applied before any lookup, as Windows does.
    const size_t baseCount = parts.size();
    size_t keptBase = baseCount;
    if (HasDrive(name))
        name.erase(0, 2);
    for (const std::string& part : SplitSlashes(name)) {
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            keptBase = std::min(keptBase, parts.size());
        } else if (part != ".") {
            parts.push_back(part);
        }
    }

    std::string path = Join(parts, keptBase);
    for (size_t i = keptBase; i < parts.size(); ++i) {
        std::string real = MatchComponent(path, parts[i], i + 1 < parts.size());
        if (real.empty())
            return std::string();
        path = Child(path, real);
    }
    // Matched components were checked on the way; a name that ".." took back
    // into the base still has to be.
    if (keptBase == parts.size() && !Fits(path, false))
        return std::string();
    return path;
}
