#pragma once
// A file-backed stand-in for the Windows registry: typed values (text and
// 32-bit numbers) under case-insensitive key paths, one store file per root.
//
// Store file format, version 1 (one file per root, e.g. HKEY_CURRENT_USER.reg):
//
//   CorvaleRegistry 1 <16 hex digits: a fresh random stamp per write>
//   K "Software" "Quillfen" "Corvale"      a key, one quoted string per path component
//   S "ValueName" "text"                   a REG_SZ value of the key above
//   D "ValueName" 4294967295               a REG_DWORD value (decimal) of the key above
//   END 3                                  number of K/S/D lines; nothing may follow
//
// Lines end with LF. Values before the first K line belong to the root itself.
// Quoted strings hold printable ASCII as is except '"' and '\', which are
// written as \" and \\; \n, \r and \t stand for those bytes and \xHH (two hex
// digits) for any other byte, so every byte string round-trips exactly. A
// missing END line, a count that does not match, an unknown line or a newer
// version make the file damaged: it is then reported, never rewritten.
//
// Writes take an flock on ".<file>.lock" in the folder, re-read the file under
// the lock, write a temporary file in the same folder, fsync it, rename it over
// the store and fsync the folder, so concurrent writers lose no update and a
// crash leaves either the old or the new store. Readers need no lock.

#include <cstdint>
#include <string>
#include <vector>

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, CurrentConfig, Users };
enum class RegistryStatus { Ok, NotFound, WrongType, Damaged, IoError };

class Registry {
public:
    // `folder` holds one file per root; it is created on the first write.
    explicit Registry(std::string folder);

    // $CORVALE_REGISTRY_DIR, else <config home>/Quillfen/registry; read at every call.
    static std::string DefaultFolder();
    static Registry Default();

    const std::string& Folder() const { return m_strFolder; }
    // Full path of the store file of `root` ("<folder>/HKEY_CURRENT_USER.reg").
    std::string FileOf(RegistryRoot root) const;
    static const char* RootName(RegistryRoot root);

    // Key paths use backslashes; empty components are ignored and names are
    // compared without regard to ASCII case (the case of first creation is kept).
    // Value name "" is the key's default value.
    RegistryStatus CreateKey(RegistryRoot root, const std::string& key);
    bool KeyExists(RegistryRoot root, const std::string& key) const;
    bool HasSubKey(RegistryRoot root, const std::string& key, const std::string& subKey) const;

    RegistryStatus GetString(RegistryRoot root, const std::string& key, const std::string& value,
                             std::string& out) const;
    RegistryStatus GetDword(RegistryRoot root, const std::string& key, const std::string& value,
                            uint32_t& out) const;
    // Both create the key path; a value of the other type is replaced.
    RegistryStatus SetString(RegistryRoot root, const std::string& key, const std::string& value,
                             const std::string& data);
    RegistryStatus SetDword(RegistryRoot root, const std::string& key, const std::string& value,
                            uint32_t data);
    RegistryStatus DeleteValue(RegistryRoot root, const std::string& key, const std::string& value);
    // Deletes the key with all its subkeys; the root itself cannot be deleted (IoError).
    RegistryStatus DeleteKey(RegistryRoot root, const std::string& key);

    // Subkey names sorted without regard to case; value names in creation order.
    std::vector<std::string> SubKeys(RegistryRoot root, const std::string& key) const;
    std::vector<std::string> ValueNames(RegistryRoot root, const std::string& key) const;

    // Ok when the store of `root` reads (a missing one reads as empty);
    // Damaged or IoError otherwise, with LastError saying why.
    RegistryStatus CheckStore(RegistryRoot root) const;
    // The store of `root` was written by a newer program: it reads as
    // damaged here, but is nobody's to replace.
    bool IsFromNewerProgram(RegistryRoot root) const;
    // Moves a damaged store of `root` aside under a new name beside it
    // (`keptPath`), so that the next write starts a fresh one. Ok when moved;
    // the store's own status when it is not damaged (then nothing moves).
    RegistryStatus KeepDamagedStoreAside(RegistryRoot root, std::string& keptPath);
    // The name KeepDamagedStoreAside would use now ("<store>.damaged", then
    // "<store>.damaged-2" and on).
    std::string KeptCopyPath(RegistryRoot root) const;

    // What went wrong in the last Damaged or IoError result (file and cause).
    std::string LastError() const { return m_strLastError; }

private:
    std::string m_strFolder;
    mutable std::string m_strLastError;
};
