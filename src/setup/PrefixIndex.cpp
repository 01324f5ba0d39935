#include "setup/PrefixIndex.h"

#include <algorithm>
#include <numeric>

PrefixIndex::PrefixIndex(const std::vector<std::string_view>& lines)
{
    std::vector<uint32_t> order(lines.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return lines[a] < lines[b]; });
    size_t n = order.size();
    m_sorted.reserve(n);
    m_tree.assign(2 * n, 0);
    for (size_t i = 0; i < n; ++i) {
        m_sorted.push_back(lines[order[i]]);
        m_tree[n + i] = order[i];
    }
    for (size_t i = n; i-- > 1;)
        m_tree[i] = std::min(m_tree[2 * i], m_tree[2 * i + 1]);
}

int64_t PrefixIndex::First(std::string_view prefix) const
{
    // Lines that begin with `prefix` lie together in sorted order, starting
    // at the first line not less than it.
    auto lo = std::lower_bound(m_sorted.begin(), m_sorted.end(), prefix);
    auto hi = std::partition_point(lo, m_sorted.end(), [&](std::string_view line) {
        return line.substr(0, prefix.size()) == prefix;
    });
    size_t n = m_sorted.size();
    size_t l = static_cast<size_t>(lo - m_sorted.begin()) + n;
    size_t r = static_cast<size_t>(hi - m_sorted.begin()) + n;
    if (l == r)
        return -1;
    uint32_t best = UINT32_MAX;
    for (; l < r; l /= 2, r /= 2) {
        if (l & 1)
            best = std::min(best, m_tree[l++]);
        if (r & 1)
            best = std::min(best, m_tree[--r]);
    }
    return best;
}
