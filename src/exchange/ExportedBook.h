#pragma once
// What an export made of a Picture Book: its tree, every text in UTF-8, and
// for each node the files written for it, all named relative to the export
// folder with '/' between the parts. The pages and book.json are written
// from it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class ExportedFile {
    None,       // the node names no file
    Copied,     // `path` holds its own bytes
    Missing,    // no file of that name exists
    Outside,    // it lies outside the book's folder, so it was not taken
    Unreadable, // it is no plain file, or reading it failed
};

struct ExportedNode {
    enum class Kind { Group, Photo, Media };

    Kind kind = Kind::Photo;
    std::string caption;
    std::string text;
    std::string storedName; // the file name the book holds
    std::string format;     // the data format's description, "" without a file
    std::string mediaType;  // media items: "sound", "video", "midi" or "unknown"
    ExportedFile file = ExportedFile::None;
    std::string path;       // the copy, when Copied
    std::string shownAs;    // a copy a browser can show, when the format needs one
    std::string thumbnail;  // "" when the picture could not be drawn
    uint32_t thumbnailWidth = 0;
    uint32_t thumbnailHeight = 0;
    std::string folder;     // groups: their folder ("" for the root)
    std::string page;       // groups with a page of their own; the root's is "index.html"
    std::vector<std::unique_ptr<ExportedNode>> media;
    std::vector<std::unique_ptr<ExportedNode>> photos;

    bool IsGroup() const { return kind == Kind::Group; }
    // The file a link to the picture opens: the browser copy when there is one.
    const std::string& LinkTarget() const { return shownAs.empty() ? path : shownAs; }
};

struct ExportedBook {
    std::string title;
    std::string ownerName;
    std::string ownerEmail;
    ExportedNode root;
};
