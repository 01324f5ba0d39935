#pragma once
// A multimedia item (sound, video or MIDI music) that belongs to a photograph.

#include "model/BaseNode.h"

enum MediaType : int32_t {
    MEDIA_UNKNOWN = 0,
    MEDIA_SOUND = 1,
    MEDIA_VIDEO = 2,
    MEDIA_MIDI = 3,
};

// 1 for ".WAV", ".AU", ".SND"; 2 for ".AVI", ".MPG"; 3 for ".MID", ".RMI"; else 0.
// The name is trimmed and compared without regard to case.
int32_t MediaTypeFromFileName(const std::string& name);

class CMediaNode : public CBaseNode {
public:
    static const CRuntimeClass classCMediaNode;
    static CBaseNode* CreateObject() { return new CMediaNode; }

    const CRuntimeClass* GetRuntimeClass() const override { return &classCMediaNode; }
    void Serialize(CArchive& ar) override;
    bool IsMedia() const override { return true; }
    void SetFileName(const std::string& name) override;

    // Plays the item through the book it belongs to; nothing happens for an
    // item of no book, or of a book no player was given to.
    void Play();

    int32_t m_nMediaVersion = 0;
    int32_t m_nMediaRevision = 0;
    int32_t m_nMediaType = MEDIA_UNKNOWN;
};
