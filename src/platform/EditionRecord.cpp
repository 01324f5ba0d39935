#include "platform/EditionRecord.h"

#include "platform/RecordScan.h"

namespace {

// The marker alone is in every program that reads the record; only the
// marker followed by the edition's name and its end byte is a record.
constexpr char kMarker[] = "\x01" "CORVALE-EDITION-RECORD:";
constexpr char kPlusBody[] = "PLUS\x01";

} // namespace

ViewerEdition ReadViewerEdition(const std::string& programPath)
{
    const std::string_view plus(kPlusBody);
    bool found = ScanFileForRecord(programPath, kMarker, plus.size(),
                                   [&](std::string_view body) { return body == plus; });
    return found ? ViewerEdition::Plus : ViewerEdition::Free;
}

std::string PlusEditionRecord()
{
    std::string record(kMarker);
    record += kPlusBody;
    return record;
}
