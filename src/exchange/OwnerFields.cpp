#include "exchange/OwnerFields.h"

namespace {

const char kOwnerKey[] = "PHOTOS_OWNER";
const char kEmailKey[] = "PHOTOS_OWNER_EMAIL";

// Line feeds end a line as well as carriage returns, so scripts saved with
// either kind of line end never lend a value to the wrong key.
bool EndsLine(char c)
{
    return c == '\r' || c == '\n';
}

// Moves `i` to the first `wanted` character before the line ends; false when
// the line ends first.
bool SeekOnLine(const std::string& text, size_t& i, char wanted)
{
    while (i < text.size() && text[i] != wanted && !EndsLine(text[i]))
        ++i;
    return i < text.size() && text[i] == wanted;
}

// The quoted value that follows the key ending at `i`, or "".
std::string QuotedValueAfter(const std::string& text, size_t i)
{
    if (!SeekOnLine(text, i, '=') || !SeekOnLine(text, i, '"'))
        return std::string();
    size_t start = i + 1;
    if (start >= text.size() || EndsLine(text[start]))
        return std::string();
    // The closing quote is looked for from the value's second character on.
    size_t end = start + 1;
    if (!SeekOnLine(text, end, '"'))
        return std::string();
    return text.substr(start, end - start);
}

} // namespace

OwnerFields ReadOwnerFields(const std::string& script)
{
    std::string text = script.substr(0, script.find('\0'));
    size_t email = text.find(kEmailKey);
    size_t owner = text.find(kOwnerKey);
    // The e-mail key begins with the name key: when the first name key found
    // is the e-mail key itself, the name is a later one.
    if (owner != std::string::npos && owner == email)
        owner = text.find(kOwnerKey, email + 1);

    OwnerFields fields;
    if (owner != std::string::npos)
        fields.name = QuotedValueAfter(text, owner + sizeof kOwnerKey - 1);
    if (email != std::string::npos)
        fields.email = QuotedValueAfter(text, email + sizeof kEmailKey - 1);
    return fields;
}
