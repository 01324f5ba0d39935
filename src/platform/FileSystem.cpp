#include "platform/FileSystem.h"

#include "platform/SystemFolders.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// File-system magic numbers (linux/magic.h and the file systems' own headers).
const unsigned long kIso9660Magic = 0x9660;
const unsigned long kUdfMagic = 0x15013346;
const unsigned long kFuseMagic = 0x65735546;
const unsigned long kNetworkMagics[] = {
    0x6969,     // NFS
    0x517B,     // SMB
    0xFF534D42, // CIFS
    0xFE534D42, // SMB2
    0x564C,     // NCP
    0x5346414F, // AFS
    0x6B414653, // kAFS
    0x73757245, // Coda
    0x01021997, // 9P
    0x00C36400, // Ceph
    0x47504653, // GPFS
    0x0BD00BD0, // Lustre
};

// statfs of `path`, or of its nearest ancestor that exists.
bool StatFsNearest(const std::string& path, struct statfs& fs, std::string& found)
{
    std::string probe = path.empty() ? SystemFolders::CurrentDirectory() : path;
    for (;;) {
        if (::statfs(probe.c_str(), &fs) == 0) {
            found = probe;
            return true;
        }
        if (errno != ENOENT && errno != ENOTDIR)
            return false;
        size_t slash = probe.find_last_of('/');
        if (slash == std::string::npos)
            probe = ".";
        else if (slash == 0)
            probe = probe == "/" ? std::string() : "/";
        else
            probe.erase(slash);
        if (probe.empty())
            return false;
    }
}

// The sysfs folder of the block device holding `path`; "" when it has none
// (network, memory and btrfs-style anonymous devices).
std::string BlockDeviceFolder(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || major(st.st_dev) == 0)
        return std::string();
    std::string folder = "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" +
                         std::to_string(minor(st.st_dev));
    struct stat sysfs;
    return ::stat(folder.c_str(), &sysfs) == 0 ? folder : std::string();
}

bool ReadFlag(const std::string& file)
{
    std::ifstream in(file);
    int value = 0;
    return (in >> value) && value != 0;
}

} // namespace

FileErrorCause FileErrorCauseFromErrno(int err)
{
    switch (err) {
    case ENOENT: return FileErrorCause::NotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return FileErrorCause::AccessDenied;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
    case EINVAL: return FileErrorCause::BadPath;
    case EMFILE:
    case ENFILE: return FileErrorCause::TooManyOpenFiles;
    case ENOSPC:
    case EDQUOT: return FileErrorCause::DiskFull;
    case EIO: return FileErrorCause::HardIO;
    case EBADF: return FileErrorCause::InvalidFile;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case ENOLCK: return FileErrorCause::LockViolation;
    case ETXTBSY: return FileErrorCause::SharingViolation;
    default: return FileErrorCause::Generic;
    }
}

MessageId FileErrorMessage(FileErrorCause cause)
{
    switch (cause) {
    case FileErrorCause::Generic: return MessageId::FileErrorGeneric;
    case FileErrorCause::NotFound: return MessageId::FileErrorNotFound;
    case FileErrorCause::BadPath: return MessageId::FileErrorBadPath;
    case FileErrorCause::TooManyOpenFiles: return MessageId::FileErrorTooManyOpenFiles;
    case FileErrorCause::AccessDenied: return MessageId::FileErrorAccessDenied;
    case FileErrorCause::InvalidFile: return MessageId::FileErrorInvalidFile;
    case FileErrorCause::RemoveCurrentDir: return MessageId::FileErrorRemoveCurrentDir;
    case FileErrorCause::DirectoryFull: return MessageId::FileErrorDirectoryFull;
    case FileErrorCause::BadSeek: return MessageId::FileErrorBadSeek;
    case FileErrorCause::HardIO: return MessageId::FileErrorHardIO;
    case FileErrorCause::SharingViolation: return MessageId::FileErrorSharingViolation;
    case FileErrorCause::LockViolation: return MessageId::FileErrorLockViolation;
    case FileErrorCause::DiskFull: return MessageId::FileErrorDiskFull;
    case FileErrorCause::EndOfFile: return MessageId::FileErrorEndOfFile;
    }
    return MessageId::FileErrorGeneric;
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsCdRomPath(const std::string& path)
{
    struct statfs fs;
    std::string found;
    if (!StatFsNearest(path, fs, found))
        return false;
    unsigned long type = static_cast<unsigned long>(fs.f_type);
    return type == kIso9660Magic || type == kUdfMagic;
}

// Blocks kept for the superuser are not counted: an installation by anyone
// else cannot use them.
bool FreeDiskBytes(const std::string& path, uint64_t& bytes)
{
    struct statvfs fs{};
    if (::statvfs(path.c_str(), &fs) != 0)
        return false;
    uint64_t unit = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
    uint64_t blocks = fs.f_bavail;
    bytes = unit != 0 && blocks > UINT64_MAX / unit ? UINT64_MAX : blocks * unit;
    return true;
}

bool IsFixedDrivePath(const std::string& path)
{
    struct statfs fs;
    std::string found;
    if (!StatFsNearest(path, fs, found))
        return false;
    unsigned long type = static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul;
    if (type == kIso9660Magic || type == kUdfMagic)
        return false;
    for (unsigned long magic : kNetworkMagics)
        if (type == magic)
            return false;
    std::string device = BlockDeviceFolder(found);
    // A FUSE file system without a block device behind it (sshfs, rclone,
    // an AppImage mount) may vanish at any time, like a network drive.
    if (type == kFuseMagic && device.empty())
        return false;
    if (!device.empty()) {
        // A partition's own folder has no "removable"; its disk's folder has.
        if (ReadFlag(device + "/removable") || ReadFlag(device + "/../removable"))
            return false;
    }
    return true;
}

std::string FolderOfPath(const std::string& path)
{
    size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

PathKind KindOfPath(const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool MakeFolderWithParents(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return KindOfPath(path) == PathKind::Folder;
}

namespace {

int NotRegularError(const struct stat& st)
{
    return S_ISDIR(st.st_mode) ? EISDIR : EACCES;
}

} // namespace

int OpenRegularFile(const std::string& path, int flags, int& err)
{
    // Looked at before opening, so a device is never opened; looked at again
    // on what was opened, in case something else took the name between.
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        err = NotRegularError(st);
        return -1;
    }
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        err = NotRegularError(st);
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    err = 0;
    return fd;
}

int OpenRegularFileForReading(const std::string& path, int& err)
{
    return OpenRegularFile(path, O_RDONLY, err);
}

int OpenRegularFileForReading(const std::string& path)
{
    int err = 0;
    return OpenRegularFileForReading(path, err);
}

BoundedRead ReadFileUpTo(const std::string& path, uint64_t limit, std::string& bytes)
{
    bytes.clear();
    int fd = OpenRegularFileForReading(path);
    if (fd < 0)
        return BoundedRead::CannotOpen;
    BoundedRead result = BoundedRead::Read;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            if (uint64_t(n) > limit - bytes.size()) {
                result = BoundedRead::TooLarge;
                break;
            }
            bytes.append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            result = BoundedRead::CannotRead;
            break;
        }
    }
    ::close(fd);
    if (result != BoundedRead::Read)
        bytes.clear();
    return result;
}

bool ReadWholeFile(const std::string& path, std::string& out, int& err)
{
    out.clear();
    err = 0;
    int fd = OpenRegularFileForReading(path, err);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        out.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            err = errno;
            ::close(fd);
            out.clear();
            return false;
        }
    }
    ::close(fd);
    return true;
}

bool HasFileEnding(const std::string& name, const char* ending)
{
    size_t n = std::char_traits<char>::length(ending);
    return name.size() >= n && strcasecmp(name.c_str() + name.size() - n, ending) == 0;
}

std::string PathInFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string FileNameComponent(const std::string& name)
{
    std::string out = name;
    for (char& c : out)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    if (out == "." || out == "..")
        return std::string();
    return out;
}

std::string MakePrivateTempFolder(const std::string& prefix)
{
    std::string folder = SystemFolders::TempFolder();
    std::string pattern = (folder == "/" ? std::string() : folder) + "/" + prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return std::string();
    return pattern;
}
