#pragma once
// Small file helpers the model needs: error causes and their messages, drive
// kinds (CD-ROM, fixed disk), folder parts of paths, whole-file reads.

#include "platform/MessageTable.h"

#include <cstdint>
#include <string>

enum class FileErrorCause {
    Generic,
    NotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile
};

FileErrorCause FileErrorCauseFromErrno(int err);
// The MessageId::FileError... text for `cause` ("%1" is the file name).
MessageId FileErrorMessage(FileErrorCause cause);

bool FileExists(const std::string& path);
bool IsRegularFile(const std::string& path);
enum class PathKind { Missing, Folder, Other };
PathKind KindOfPath(const std::string& path);
// Creates `path` with its missing parents; true when it is a folder afterwards.
bool MakeFolderWithParents(const std::string& path);
// Opens a regular file for reading (close-on-exec); -1 for anything else. A
// pipe in the file's place is refused at once rather than waited on, and a
// device is never opened (opening some has effects of its own). `err` gets
// the errno of a failed open, EISDIR for a folder and EACCES for anything
// else that is not a regular file.
int OpenRegularFileForReading(const std::string& path, int& err);
int OpenRegularFileForReading(const std::string& path);
// The same with the open(2) flags given (close-on-exec is added); a file made
// by O_CREAT is a regular one.
int OpenRegularFile(const std::string& path, int flags, int& err);
// The file system holding `path` (or its nearest existing ancestor) is ISO 9660 or UDF.
bool IsCdRomPath(const std::string& path);
// Neither a CD, nor removable media (the block device's sysfs flag, when it
// can be found), nor a network or user-space (FUSE) file system.
bool IsFixedDrivePath(const std::string& path);
// The bytes this user may still write on the file system holding `path`.
// False when it cannot be told.
bool FreeDiskBytes(const std::string& path, uint64_t& bytes);
// Up to, not including, the last '/' or '\\'; "" when there is none.
std::string FolderOfPath(const std::string& path);
// Reads the whole file into `out`; on failure false with `err` = errno.
bool ReadWholeFile(const std::string& path, std::string& out, int& err);
enum class BoundedRead { Read, CannotOpen, CannotRead, TooLarge };
// Reads the file at `path` whole when it holds at most `limit` bytes. Only a
// regular file is read (a folder cannot be opened), in blocks rather than
// trusting the size it claims, so a file that grows cannot fill memory.
BoundedRead ReadFileUpTo(const std::string& path, uint64_t limit, std::string& bytes);
// True when `name` ends in `ending` (".txt"), without regard to ASCII case.
bool HasFileEnding(const std::string& name, const char* ending);
// `name` inside `folder` (which may end in '/'); `name` alone when there is no folder.
std::string PathInFolder(const std::string& folder, const std::string& name);
// `name` (UTF-8) made fit to stand as one file name: '/', '\\' and control
// characters become '_'. "" when what is left would be "", "." or "..".
std::string FileNameComponent(const std::string& name);
// A new folder only this user can enter, inside the temporary folder; "" when
// it cannot be made.
std::string MakePrivateTempFolder(const std::string& prefix);
