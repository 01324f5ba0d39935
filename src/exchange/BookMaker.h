#pragma once
// Makes a Picture Book from a folder tree: each sub-folder a group, each
// picture the viewer shows a photograph, each sound, video or MIDI file a
// multimedia item (of the photograph of the same name when there is one),
// captions from the file names, texts from .txt files of the same name. The
// book is written at the top of the tree, naming every file so that it is
// found from there. What it cannot take is reported, and left out.

#include "model/CorvaleDoc.h"
#include "platform/MessageTable.h"

#include <filesystem>
#include <string>
#include <vector>

struct BookMakerOptions {
    // UTF-8; an empty title takes the folder's name.
    std::string title;
    std::string ownerName;
    std::string ownerEmail;
};

class BookMaker {
public:
    enum class Result { Made, NotAFolder, NotBeside, NothingToShow, WriteFailed };

    // `bookPath` must lie directly in `folder`.
    BookMaker(std::string folder, std::string bookPath);

    Result Make(const BookMakerOptions& options);

    // What was left out or changed, in the order met (UTF-8).
    const std::vector<std::string>& Notes() const { return m_notes; }
    // The message for a result other than Made.
    const std::string& ErrorText() const { return m_strError; }
    const CCorvaleDoc& Doc() const { return m_doc; }

    // Folders nested deeper than this are left out.
    static constexpr int kMaxDepth = 32;
    // .txt files larger than this are no texts.
    static constexpr uint64_t kMaxTextBytes = uint64_t(1) << 20;

private:
    struct Entry;

    void ScanFolder(const std::filesystem::path& folder, const std::string& relative,
                    const std::string& storedPrefix, CPhotoNode& group, int depth);
    bool StoredName(const std::string& storedPrefix, const std::string& name,
                    const std::string& relative, std::string& stored);
    std::string ToCodePage(const std::string& utf8, const std::string& where);
    std::string ReadText(const std::filesystem::path& file, const std::string& relative);
    void Note(MessageId message, const std::string& relative);

    std::filesystem::path m_folder;
    std::filesystem::path m_book;
    CCorvaleDoc m_doc;
    std::vector<std::string> m_notes;
    std::vector<bool> m_emptyFolderNote; // beside m_notes
    std::string m_strError;
};
