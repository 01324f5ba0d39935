// The sender's name and address read from a setup script found in a ZIP
// archive: any bytes, and a value never reaches past its own line or its
// closing quote (the closing quote is looked for from the value's second
// character on, so only the first character may itself be a quote).

#include "exchange/OwnerFields.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void CheckValue(const std::string& value)
{
    if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        std::abort();
    if (value.size() > 1 && value.find('"', 1) != std::string::npos)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string script(reinterpret_cast<const char*>(data), size);
    OwnerFields owner = ReadOwnerFields(script);
    CheckValue(owner.name);
    CheckValue(owner.email);
    if (owner.name.size() > size || owner.email.size() > size)
        std::abort();
    return 0;
}
