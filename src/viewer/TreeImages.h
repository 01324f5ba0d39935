#pragma once
// The seven 16 x 15 images of the tree pane, drawn by code: the Picture Book,
// a photograph, a group, sound, video, MIDI music and any other media file.

#include <QIcon>
#include <QImage>

enum TreeImageIndex {
    TI_BOOK = 0,
    TI_PHOTO = 1,
    TI_GROUP = 2,
    TI_SOUND = 3,
    TI_VIDEO = 4,
    TI_MIDI = 5,
    TI_OTHER_MEDIA = 6,
    TI_COUNT = 7
};

class TreeImages {
public:
    static constexpr int kWidth = 16;
    static constexpr int kHeight = 15;

    // All seven side by side (112 x 15), transparent where the picture is not.
    static const QImage& Strip();
    // One image cut from the strip; an index out of range gives the last one.
    static QImage Image(int index);
    static QIcon Icon(int index);
    // The image for a multimedia item of `mediaType` (1 sound, 2 video, 3 MIDI).
    static int IndexForMediaType(int mediaType);
};
