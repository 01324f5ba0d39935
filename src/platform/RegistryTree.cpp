#include "platform/RegistryTree.h"

#include <cstdio>

namespace {

const char kMagic[] = "CorvaleRegistry";
const int kFormatVersion = 1;

char LowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerPath(const std::vector<std::string>& parts)
{
    std::string path;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            path += '\\';
        path += LowerAscii(parts[i]);
    }
    return path;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

void AppendQuoted(std::string& out, const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            }
        }
    }
    out += '"';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads one line of the store: tokens separated by single blanks.
class LineReader {
public:
    explicit LineReader(const std::string& line) : m_line(line) {}

    bool AtEnd() const { return m_pos == m_line.size(); }
    bool Blank()
    {
        if (m_pos < m_line.size() && m_line[m_pos] == ' ') {
            ++m_pos;
            return true;
        }
        return false;
    }
    // A run of non-blank characters.
    std::string Word()
    {
        size_t start = m_pos;
        while (m_pos < m_line.size() && m_line[m_pos] != ' ')
            ++m_pos;
        return m_line.substr(start, m_pos - start);
    }
    bool Quoted(std::string& out)
    {
        out.clear();
        if (m_pos >= m_line.size() || m_line[m_pos] != '"')
            return false;
        for (++m_pos; m_pos < m_line.size(); ++m_pos) {
            char c = m_line[m_pos];
            if (c == '"') {
                ++m_pos;
                return true;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++m_pos >= m_line.size())
                return false;
            switch (m_line[m_pos]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                if (m_pos + 2 >= m_line.size())
                    return false;
                int hi = HexDigit(m_line[m_pos + 1]);
                int lo = HexDigit(m_line[m_pos + 2]);
                if (hi < 0 || lo < 0)
                    return false;
                out += static_cast<char>(hi * 16 + lo);
                m_pos += 2;
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

private:
    const std::string& m_line;
    size_t m_pos = 0;
};

// Decimal digits only, no sign, within [0, limit].
bool ParseUnsigned(const std::string& word, uint64_t limit, uint64_t& value)
{
    if (word.empty() || word.size() > 20)
        return false;
    value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (limit - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

bool ParseHex64(const std::string& word, uint64_t& value)
{
    if (word.size() != 16)
        return false;
    value = 0;
    for (char c : word) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        value = (value << 4) | static_cast<uint64_t>(d);
    }
    return true;
}

// Checks the first line; `version` is set whenever the magic word is right, so
// that a store written by a newer program can be told from a damaged one.
bool ParseHeader(const std::string& line, int& version, uint64_t& stamp)
{
    version = 0;
    LineReader r(line);
    if (r.Word() != kMagic || !r.Blank())
        return false;
    uint64_t v = 0;
    if (!ParseUnsigned(r.Word(), 1000000, v))
        return false;
    version = static_cast<int>(v);
    return version == kFormatVersion && r.Blank() && ParseHex64(r.Word(), stamp) && r.AtEnd();
}

} // namespace

std::string LowerAscii(const std::string& text)
{
    std::string out(text);
    for (char& c : out)
        c = LowerChar(c);
    return out;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i]))
            return false;
    return true;
}

const RegistryTree::Value* RegistryTree::Key::FindValue(const std::string& name) const
{
    for (const Value& v : values)
        if (EqualNoCase(v.strName, name))
            return &v;
    return nullptr;
}

RegistryTree::Value* RegistryTree::Key::FindValue(const std::string& name)
{
    for (Value& v : values)
        if (EqualNoCase(v.strName, name))
            return &v;
    return nullptr;
}

bool RegistryTree::Key::EraseValue(const std::string& name)
{
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (EqualNoCase(it->strName, name)) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

RegistryTree::RegistryTree()
{
    m_keys[std::string()];
}

std::vector<std::string> RegistryTree::SplitPath(const std::string& key)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find('\\', start);
        if (end == std::string::npos)
            end = key.size();
        if (end > start)
            parts.push_back(key.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

const RegistryTree::Key* RegistryTree::FindKey(const std::vector<std::string>& parts) const
{
    auto it = m_keys.find(LowerPath(parts));
    return it == m_keys.end() ? nullptr : &it->second;
}

RegistryTree::Key* RegistryTree::FindKey(const std::vector<std::string>& parts)
{
    auto it = m_keys.find(LowerPath(parts));
    return it == m_keys.end() ? nullptr : &it->second;
}

RegistryTree::Key& RegistryTree::CreateKey(const std::vector<std::string>& parts, bool& created)
{
    created = false;
    Key* key = &m_keys[std::string()];
    std::string path;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            path += '\\';
        path += LowerAscii(parts[i]);
        auto it = m_keys.find(path);
        if (it == m_keys.end()) {
            Key child;
            child.names = key->names;
            child.names.push_back(parts[i]);
            it = m_keys.emplace(path, std::move(child)).first;
            created = true;
        }
        key = &it->second;
    }
    return *key;
}

bool RegistryTree::DeleteKey(const std::vector<std::string>& parts)
{
    if (parts.empty())
        return false;
    std::string path = LowerPath(parts);
    auto it = m_keys.find(path);
    if (it == m_keys.end())
        return false;
    m_keys.erase(it);
    std::string prefix = path + '\\';
    auto first = m_keys.lower_bound(prefix);
    auto last = first;
    while (last != m_keys.end() && StartsWith(last->first, prefix))
        ++last;
    m_keys.erase(first, last);
    return true;
}

std::vector<std::string> RegistryTree::SubKeys(const std::vector<std::string>& parts) const
{
    std::vector<std::string> names;
    std::string path = LowerPath(parts);
    if (m_keys.find(path) == m_keys.end())
        return names;
    std::string prefix = parts.empty() ? std::string() : path + '\\';
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end() && StartsWith(it->first, prefix);
         ++it) {
        if (it->first.size() > prefix.size() &&
            it->first.find('\\', prefix.size()) == std::string::npos)
            names.push_back(it->second.names.back());
    }
    return names;
}

std::string RegistryTree::Serialize(uint64_t stamp) const
{
    char header[64];
    std::snprintf(header, sizeof header, "%s %d %016llx\n", kMagic, kFormatVersion,
                  static_cast<unsigned long long>(stamp));
    std::string out(header);
    size_t count = 0;
    for (const auto& entry : m_keys) {
        const Key& key = entry.second;
        if (!key.names.empty()) {
            out += 'K';
            for (const std::string& name : key.names) {
                out += ' ';
                AppendQuoted(out, name);
            }
            out += '\n';
            ++count;
        }
        for (const Value& v : key.values) {
            out += v.bDword ? "D " : "S ";
            AppendQuoted(out, v.strName);
            out += ' ';
            if (v.bDword)
                out += std::to_string(v.nDword);
            else
                AppendQuoted(out, v.strText);
            out += '\n';
            ++count;
        }
    }
    out += "END " + std::to_string(count) + "\n";
    return out;
}

bool RegistryTree::Parse(const std::string& text, std::string& error)
{
    m_keys.clear();
    m_keys[std::string()];
    Key* current = &m_keys[std::string()];
    size_t pos = 0;
    size_t lineNo = 0;
    size_t count = 0;
    bool ended = false;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        ++lineNo;
        std::string where = "line " + std::to_string(lineNo) + ": ";
        if (end == std::string::npos) {
            error = where + "incomplete last line (file truncated)";
            return false;
        }
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (ended) {
            error = where + "data after the END line";
            return false;
        }
        if (lineNo == 1) {
            int version = 0;
            uint64_t stamp = 0;
            if (!ParseHeader(line, version, stamp)) {
                error = version > kFormatVersion
                            ? where + "format version " + std::to_string(version) +
                                  " is newer than this program understands"
                            : where + "not a registry store header";
                return false;
            }
            continue;
        }
        LineReader r(line);
        std::string tag = r.Word();
        if (tag == "END") {
            uint64_t declared = 0;
            if (!r.Blank() || !ParseUnsigned(r.Word(), UINT64_MAX, declared) || !r.AtEnd()) {
                error = where + "malformed END line";
                return false;
            }
            if (declared != count) {
                error = where + "END line counts " + std::to_string(declared) +
                        " entries but the file holds " + std::to_string(count);
                return false;
            }
            ended = true;
            continue;
        }
        ++count;
        if (tag == "K") {
            std::vector<std::string> parts;
            while (r.Blank()) {
                std::string name;
                if (!r.Quoted(name) || name.empty() || name.find('\\') != std::string::npos) {
                    error = where + "bad key name";
                    return false;
                }
                parts.push_back(name);
            }
            if (!r.AtEnd()) {
                error = where + "malformed key line";
                return false;
            }
            bool created = false;
            current = &CreateKey(parts, created);
        } else if (tag == "S" || tag == "D") {
            Value v;
            v.bDword = tag == "D";
            bool ok = r.Blank() && r.Quoted(v.strName) && r.Blank();
            if (ok && v.bDword) {
                uint64_t n = 0;
                ok = ParseUnsigned(r.Word(), UINT32_MAX, n);
                v.nDword = static_cast<uint32_t>(n);
            } else if (ok) {
                ok = r.Quoted(v.strText);
            }
            if (!ok || !r.AtEnd()) {
                error = where + "malformed value line";
                return false;
            }
            if (Value* old = current->FindValue(v.strName))
                *old = std::move(v);
            else
                current->values.push_back(std::move(v));
        } else {
            error = where + "unknown line";
            return false;
        }
    }
    if (lineNo == 0) {
        error = "empty file (truncated)";
        return false;
    }
    if (!ended) {
        error = "no END line (file truncated)";
        return false;
    }
    return true;
}

bool RegistryTree::IsNewerFormat(const char* data, size_t size)
{
    std::string head(data, size);
    int version = 0;
    uint64_t stamp = 0;
    ParseHeader(head.substr(0, head.find('\n')), version, stamp);
    return version > kFormatVersion;
}

bool RegistryTree::ParseStamp(const char* data, size_t size, uint64_t& stamp)
{
    std::string head(data, size);
    size_t end = head.find('\n');
    if (end == std::string::npos)
        return false;
    int version = 0;
    return ParseHeader(head.substr(0, end), version, stamp);
}
