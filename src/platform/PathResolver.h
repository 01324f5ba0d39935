#pragma once
// Turns a file name stored in a Picture Book (Windows style: backslashes, any
// letter case, 8-bit code page) into the path of a file that exists here.

#include <string>

class PathResolver {
public:
    // The existing path that `storedName` names, or "" when none does.
    //  - '\' and '/' both separate components.
    //  - A name without a leading separator or drive lies in `bookFolder` (the
    //    current directory when that is empty). "C:\x" and "\x" start at the
    //    file-system root; a drive-relative "C:x" is taken in `bookFolder`,
    //    since the document makes the Picture Book's folder current. UNC names
    //    ("\\server\share") name nothing here and give "".
    //  - "." is skipped and ".." goes up one level of the path built so far,
    //    lexically as on Windows; it stops at the root. The result is always
    //    the place the name itself says: matching never adds or skips levels.
    //  - Each component is taken as it is when that exists, else an entry of
    //    the folder equal to it without regard to ASCII case, also in its
    //    UTF-8 form when it holds Windows-1252 bytes. Among several such
    //    entries the first in byte order that fits wins.
    //  - Names holding a NUL byte give "".
    // The result is absolute (a relative `bookFolder` is taken from the
    // current directory) and uses '/'.
    static std::string Resolve(const std::string& storedName, const std::string& bookFolder);

    static std::string ToPlatformSeparators(const std::string& name);
    // True when Resolve takes the name in the book folder.
    static bool IsRelative(const std::string& storedName);
};
