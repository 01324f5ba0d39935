#include "viewer/DibImageCache.h"

#include "image/DibRenderer.h"
#include "image/SECImage.h"

#include <cstring>
#include <memory>
#include <vector>

DibImageCache::DibImageCache(size_t capacity) : m_nCapacity(capacity ? capacity : 1) {}

DibImageCache::~DibImageCache()
{
    Clear();
}

void DibImageCache::SetBudget(std::weak_ptr<PictureBudget> budget)
{
    Clear();
    m_budget = std::move(budget);
}

bool DibImageCache::Key::operator==(const Key& other) const
{
    return image == other.image && bits == other.bits && bitsSize == other.bitsSize &&
           header == other.header && width == other.width && height == other.height &&
           bitsPerPixel == other.bitsPerPixel;
}

DibImageCache::Key DibImageCache::KeyOf(const SECImage& image)
{
    Key key;
    key.image = &image;
    key.bits = image.GetBits();
    key.bitsSize = image.GetBitsSize();
    key.header = image.GetHeaderBlock();
    key.width = image.GetWidth();
    key.height = image.GetHeight();
    key.bitsPerPixel = image.GetBitsPerPixel();
    return key;
}

const QImage& DibImageCache::Get(const SECImage& image, const void* owner)
{
    Key key = KeyOf(image);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->key == key) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return m_entries.front().picture;
        }
    }
    // Free the oldest picture before making the new one: large pictures are
    // tens of megabytes each.
    while (m_entries.size() >= m_nCapacity)
        Drop(std::prev(m_entries.end()));
    m_entries.push_front({key, ToQImage(image), owner});
    Entry& entry = m_entries.front();
    std::shared_ptr<PictureBudget> budget = m_budget.lock();
    if (budget && owner && !entry.picture.isNull()) {
        const Entry* part = &entry;
        // Other photographs' pixels may go to make room; this one's stay.
        PictureBudget::RunAll(budget->Charge(owner, part, static_cast<uint64_t>(entry.picture.sizeInBytes()),
                                             [this, part] { Release(part); }));
    }
    return entry.picture;
}

void DibImageCache::Drop(std::list<Entry>::iterator it)
{
    if (std::shared_ptr<PictureBudget> budget = m_budget.lock())
        if (it->owner)
            budget->Forget(it->owner, &*it);
    m_entries.erase(it);
}

void DibImageCache::Release(const Entry* entry)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (&*it == entry) {
            m_entries.erase(it);
            return;
        }
    }
}

void DibImageCache::Clear()
{
    while (!m_entries.empty())
        Drop(m_entries.begin());
}

QImage DibImageCache::ToQImage(const SECImage& image)
{
    if (!image.HasPicture())
        return QImage();
    auto layout = std::make_unique<DibRenderer::Layout>();
    if (!DibRenderer::ReadLayout(image.GetHeaderBlock(), image.GetHeaderSize(), *layout))
        return QImage();
    if (layout->width > 0x7fffffffu || layout->height > 0x7fffffffu)
        return QImage();
    QImage picture(static_cast<int>(layout->width), static_cast<int>(layout->height), QImage::Format_RGB32);
    if (picture.isNull())
        return QImage();

    if (layout->compression == BI_RLE4 || layout->compression == BI_RLE8) {
        std::vector<uint32_t> pixels;
        if (!DibRenderer::Render(*layout, image.GetBits(), image.GetBitsSize(), pixels))
            return QImage();
        for (uint32_t y = 0; y < layout->height; ++y)
            std::memcpy(picture.scanLine(static_cast<int>(y)), pixels.data() + size_t(y) * layout->width,
                        size_t(layout->width) * 4);
        return picture;
    }
    // Uncompressed pictures go row by row straight into the QImage, with no
    // second full-size buffer.
    for (uint32_t y = 0; y < layout->height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(picture.scanLine(static_cast<int>(y)));
        if (!DibRenderer::RenderRow(*layout, image.GetBits(), image.GetBitsSize(), y, row))
            return QImage();
    }
    return picture;
}
