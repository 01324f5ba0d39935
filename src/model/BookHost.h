#pragma once
// The book a tree of nodes belongs to, as its nodes see it. A photograph
// whose picture is wanted before it was loaded asks the book at its tree's
// root to load it, and the book tells the user what went wrong; a multimedia
// item asks it to be played.

#include "model/PictureLoad.h"

class CMediaNode;
class CPhotoNode;

class BookHost {
public:
    virtual ~BookHost() = default;
    // Loads `photo`'s picture from the book's folder within its limits.
    virtual PictureResult LoadPictureFor(CPhotoNode& photo) = 0;
    virtual void PlayMedia(CMediaNode& item) = 0;

protected:
    BookHost() = default;
    BookHost(const BookHost&) = default;
    BookHost& operator=(const BookHost&) = default;
};
