#pragma once
// Finds, among a list of lines, the first one (in list order) that begins with
// a given text, in logarithmic time: script lookups stay fast however large
// and hostile a setup script is.

#include <cstdint>
#include <string_view>
#include <vector>

class PrefixIndex {
public:
    PrefixIndex() = default;
    // The views must outlive the index.
    explicit PrefixIndex(const std::vector<std::string_view>& lines);

    // Position in the original list of the first line beginning with `prefix`
    // (every line begins with ""), or -1 when there is none.
    int64_t First(std::string_view prefix) const;

private:
    std::vector<std::string_view> m_sorted;
    // Segment tree over the sorted lines holding the smallest original position.
    std::vector<uint32_t> m_tree;
};
