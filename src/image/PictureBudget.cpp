#include "image/PictureBudget.h"

#include <algorithm>

PictureBudget::GroupList::iterator PictureBudget::FindOrAdd(const void* group)
{
    auto found = m_byKey.find(group);
    if (found != m_byKey.end()) {
        m_groups.splice(m_groups.begin(), m_groups, found->second);
        return found->second;
    }
    m_groups.push_front({group, {}});
    m_byKey[group] = m_groups.begin();
    return m_groups.begin();
}

std::vector<PictureBudget::Release> PictureBudget::TakeOverflow(const void* keep)
{
    std::vector<Release> releases;
    while (m_nUsed > m_nLimit && !m_groups.empty() && m_groups.back().key != keep) {
        for (Part& part : m_groups.back().parts) {
            m_nUsed -= part.bytes;
            releases.push_back(std::move(part.release));
        }
        m_byKey.erase(m_groups.back().key);
        m_groups.pop_back();
    }
    return releases;
}

std::vector<PictureBudget::Release> PictureBudget::Charge(const void* group, const void* part, uint64_t bytes,
                                                          Release release)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Part>& parts = FindOrAdd(group)->parts;
    auto it = std::find_if(parts.begin(), parts.end(), [part](const Part& p) { return p.key == part; });
    if (it == parts.end()) {
        parts.push_back({part, bytes, std::move(release)});
    } else {
        m_nUsed -= it->bytes;
        it->bytes = bytes;
        it->release = std::move(release);
    }
    m_nUsed += bytes;
    return TakeOverflow(group);
}

void PictureBudget::Touch(const void* group)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_byKey.find(group);
    if (found != m_byKey.end())
        m_groups.splice(m_groups.begin(), m_groups, found->second);
}

void PictureBudget::Forget(const void* group, const void* part)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_byKey.find(group);
    if (found == m_byKey.end())
        return;
    std::vector<Part>& parts = found->second->parts;
    auto it = std::find_if(parts.begin(), parts.end(), [part](const Part& p) { return p.key == part; });
    if (it == parts.end())
        return;
    m_nUsed -= it->bytes;
    parts.erase(it);
}

void PictureBudget::ForgetGroup(const void* group)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_byKey.find(group);
    if (found == m_byKey.end())
        return;
    for (const Part& part : found->second->parts)
        m_nUsed -= part.bytes;
    m_groups.erase(found->second);
    m_byKey.erase(found);
}

std::vector<PictureBudget::Release> PictureBudget::SetLimit(uint64_t limit)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nLimit = limit;
    return TakeOverflow(m_groups.empty() ? nullptr : m_groups.front().key);
}

uint64_t PictureBudget::Used() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nUsed;
}

uint64_t PictureBudget::Limit() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nLimit;
}

void PictureBudget::RunAll(const std::vector<Release>& releases)
{
    for (const Release& release : releases)
        if (release)
            release();
}
