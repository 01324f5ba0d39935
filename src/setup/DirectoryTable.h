#pragma once
// The directory numbers a setup script may use (%11%, "65600,sub" in
// [DestinationDirs]) and the folders they stand for on this machine.

#include <cstdint>
#include <map>
#include <string>

class DirectoryTable {
public:
    static constexpr uint32_t kSetupFolder = 1;
    static constexpr uint32_t kSystemFolder = 11;
    static constexpr uint32_t kInstallFolder = 65600;
    static constexpr uint32_t kPictureBookFolder = 65601;

    // Number 0 is never a directory number and is not stored.
    void Set(uint32_t number, std::string folder);
    // The folder of `number`, or null when the table has none.
    const std::string* Find(uint64_t number) const;
    const std::map<uint32_t, std::string>& Entries() const { return m_folders; }

    // The four folders an installation uses: the setup program's folder (with
    // its trailing separator), the system folder, the installation folder and
    // the Picture Book's folder under it. Short (8.3) names do not exist here,
    // so the folders keep their long form.
    static DirectoryTable ForInstallation(const std::string& setupFolder,
                                          const std::string& installFolder,
                                          const std::string& photosDesc);

private:
    std::map<uint32_t, std::string> m_folders;
};

// The Picture Book's folder: <installation folder>\My Photos\<description>.
// The description (UTF-8) is a single folder name: characters that cannot
// stand in a file name (separators and control characters among them) become
// '_', and a name of dots alone is replaced, so a package can never place its
// folder outside "My Photos".
std::string PictureBookFolder(const std::string& installFolder, const std::string& photosDesc);
