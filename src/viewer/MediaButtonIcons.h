#pragma once
// The 16 x 16 pictures of the photo view's media buttons, one per kind of
// multimedia item: sound, video, MIDI music and any other medium.

#include <QPixmap>

class MediaButtonIcons {
public:
    static constexpr int kSize = 16;

    // The picture for a multimedia item's media type (1 sound, 2 video,
    // 3 MIDI music); every other value gets the picture of an unknown medium.
    static QPixmap Create(int mediaType);

private:
    static QPixmap Sound();
    static QPixmap Video();
    static QPixmap Midi();
    static QPixmap Other();
};
