#pragma once
// Builds Picture Book bytes field by field, so tests can state files exactly
// and damage them on purpose.

#include <cstdint>
#include <string>

class BookBytes {
public:
    BookBytes& Int32(int32_t v) { return Dword(static_cast<uint32_t>(v)); }
    BookBytes& Dword(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
    BookBytes& Word(uint16_t v)
    {
        m_bytes += static_cast<char>(v & 0xFF);
        m_bytes += static_cast<char>(v >> 8);
        return *this;
    }
    BookBytes& Byte(uint8_t v)
    {
        m_bytes += static_cast<char>(v);
        return *this;
    }
    BookBytes& Raw(const std::string& s)
    {
        m_bytes += s;
        return *this;
    }
    // A text shorter than 255 bytes, with its one-byte length.
    BookBytes& Text(const std::string& s)
    {
        Byte(static_cast<uint8_t>(s.size()));
        return Raw(s);
    }
    BookBytes& NewClass(const std::string& name, uint16_t schema = 1)
    {
        Word(0xFFFF).Word(schema).Word(static_cast<uint16_t>(name.size()));
        return Raw(name);
    }
    // Start of a photograph body in the Picture Book layout, up to its counts.
    BookBytes& PhotoHead(const std::string& file, const std::string& caption,
                         const std::string& text, int32_t group)
    {
        Int32(1).Int32(0).Int32(1).Int32(0);
        return Text(file).Text(caption).Text(text).Int32(group);
    }
    BookBytes& MediaBody(const std::string& file, int32_t type)
    {
        Int32(1).Int32(0).Int32(1).Int32(0);
        return Text(file).Text("").Text("").Int32(0).Int32(type);
    }
    BookBytes& DocHead(const std::string& title, const std::string& owner = "",
                       const std::string& email = "")
    {
        return Int32(1).Int32(0).Text(title).Text(owner).Text(email);
    }

    const std::string& Str() const { return m_bytes; }

private:
    std::string m_bytes;
};
