#pragma once
// Where imported Picture Books live: the Picture Book root folder, the name
// of a book's own folder under it, and the folder the archive chooser opens in.

#include <functional>
#include <string>

class Settings;

// "PictureBookRootPath" when set; else the installation folder's "My Photos"
// when a file or folder of that name exists; else the installation folder.
std::string GetPictureBookRootPath(const Settings& settings, const std::string& installFolder);

// The name of a book's folder under the root (UTF-8): its title (8-bit code
// page) made fit to be one file name, never a way out of the root. A title
// that leaves nothing usable gives the data file's name without its
// extension, and failing that "Picture Book". Long titles are shortened so
// that the numbered alternatives still fit the file system's limit.
std::string ImportFolderName(const std::string& title, const std::string& dataFileName);

// The folder the archive chooser starts in: "LastZipImportFolder", else the
// installation folder.
std::string ZipImportStartFolder(const Settings& settings, const std::string& installFolder);
// Remembers the folder of the archive the user chose (the whole path when it
// has no folder part).
void RememberZipImportFolder(Settings& settings, const std::string& chosenPath);

enum class NewFolder { Made, Declined, NotAFolder, Failed };
// Makes the folder `name` in `parent` (and `parent` when missing). When that
// name exists as a folder, `askOtherName` is asked once: on yes the first free
// of name(1), name(2), ... is made instead, later taken names passed over in
// silence. Made here or found to exist, never both: no window between looking
// and making. `path` receives the folder made, or the one that failed.
NewFolder MakeNewFolder(const std::string& parent, const std::string& name,
                        const std::function<bool()>& askOtherName, std::string& path);
