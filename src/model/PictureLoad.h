#pragma once
// What loading a photograph's picture takes and what it comes to. Everything
// a load depends on arrives as a PictureSource, so a load reads no state of
// the process and says nothing to the user itself: its PictureResult carries
// the text for whoever shows it.

#include "image/ImageLimits.h"

#include <string>

class PictureBudget;

struct PictureSource {
    std::string folder;              // where stored names are resolved: the book's folder
    ImageLimits limits;              // how large a picture may be
    PictureBudget* budget = nullptr; // where the picture's memory is charged, if anywhere; not owned
};

enum class PictureStatus {
    Loaded,
    NoFile,       // no name, or no file by that name: nothing to tell
    NotSupported, // the name's ending is no picture format
    NotLoaded,    // the file does not read as its format
};

struct PictureResult {
    PictureStatus status = PictureStatus::Loaded;
    std::string message; // UTF-8, for the user; empty when there is nothing to tell

    explicit operator bool() const { return status == PictureStatus::Loaded; }
};
