#pragma once
// Pictures turned into QImages for painting. Turning a picture's device-
// independent bitmap into screen pixels is done once; repaints, scrolling and
// printing reuse the result.

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>

#include "image/PictureBudget.h"

class SECImage;

class DibImageCache {
public:
    explicit DibImageCache(size_t capacity = 2);
    ~DibImageCache();
    DibImageCache(const DibImageCache&) = delete;
    DibImageCache& operator=(const DibImageCache&) = delete;

    // Screen copies made from now on are charged to `budget` (which may go
    // before the cache does), each under the photograph it was made for.
    void SetBudget(std::weak_ptr<PictureBudget> budget);

    // The picture of `image` at its own size; a null QImage when it holds no
    // picture the renderer accepts (a failed or damaged load). `owner` is
    // the photograph the picture belongs to, for the budget.
    const QImage& Get(const SECImage& image, const void* owner = nullptr);
    // Drops every kept QImage; called whenever pictures may have been replaced.
    void Clear();
    size_t Count() const { return m_entries.size(); }

    // The conversion itself (Format_RGB32, top row first).
    static QImage ToQImage(const SECImage& image);

private:
    // An image object is recognised by itself and by the buffers it holds, so
    // a picture freed and another allocated in its place is not taken for it.
    struct Key {
        const SECImage* image = nullptr;
        const uint8_t* bits = nullptr;
        size_t bitsSize = 0;
        const uint8_t* header = nullptr;
        uint32_t width = 0;
        uint32_t height = 0;
        int bitsPerPixel = 0;
        bool operator==(const Key& other) const;
    };
    struct Entry {
        Key key;
        QImage picture;
        const void* owner = nullptr;
    };
    static Key KeyOf(const SECImage& image);
    // Leaves the budget's accounts, then goes.
    void Drop(std::list<Entry>::iterator it);
    // The budget's call: the entry goes, its account already closed.
    void Release(const Entry* entry);

    size_t m_nCapacity;
    std::list<Entry> m_entries; // most recently used first
    std::weak_ptr<PictureBudget> m_budget;
};
