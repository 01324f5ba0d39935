#pragma once
// The contents of one registry store file in memory, with the text format that
// Registry.h describes. Keys are held flat, by their lower-cased full path.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class RegistryTree {
public:
    struct Value {
        std::string strName;
        bool bDword = false;
        std::string strText;
        uint32_t nDword = 0;
    };
    struct Key {
        std::vector<std::string> names; // path components as first created; empty for the root
        std::vector<Value> values;      // in creation order

        const Value* FindValue(const std::string& name) const;
        Value* FindValue(const std::string& name);
        bool EraseValue(const std::string& name);
    };

    RegistryTree();

    // "a\\b\\\\c\\" -> {"a", "b", "c"}.
    static std::vector<std::string> SplitPath(const std::string& key);

    const Key* FindKey(const std::vector<std::string>& parts) const;
    Key* FindKey(const std::vector<std::string>& parts);
    // Finds or creates the key and every missing ancestor; `created` tells which.
    Key& CreateKey(const std::vector<std::string>& parts, bool& created);
    // Removes the key and everything below it; false when it does not exist.
    bool DeleteKey(const std::vector<std::string>& parts);
    std::vector<std::string> SubKeys(const std::vector<std::string>& parts) const;

    std::string Serialize(uint64_t stamp) const;
    // Replaces the contents; on failure `error` says which line and why.
    bool Parse(const std::string& text, std::string& error);
    // The stamp of a file's first line, when that line is a version-1 header.
    static bool ParseStamp(const char* data, size_t size, uint64_t& stamp);
    // True when the first line names a format newer than this program writes.
    static bool IsNewerFormat(const char* data, size_t size);

private:
    std::map<std::string, Key> m_keys; // "" is the root and always present
};

bool EqualNoCase(const std::string& a, const std::string& b);
std::string LowerAscii(const std::string& text);
