#pragma once
// What playing a multimedia item needs from the viewer's windows: whether the
// media player can be shown at all, and the one media window that shows it.

class MediaWindowHost {
public:
    virtual ~MediaWindowHost() = default;

    // The media player was found at start-up.
    virtual bool IsMediaPlayerAvailable() const = 0;
    virtual bool HasMediaWindow() const = 0;
    // Makes the media window for the open Picture Book; afterwards
    // HasMediaWindow tells whether that worked.
    virtual void OpenMediaWindow() = 0;
    // Starts the file the media window holds.
    virtual void PlayInMediaWindow() = 0;
};
