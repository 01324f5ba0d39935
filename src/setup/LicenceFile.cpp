#include "setup/LicenceFile.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/PathResolver.h"
#include "platform/Prompter.h"

std::string LicencePathIn(const std::string& setupFolder)
{
    std::string found = PathResolver::Resolve(kLicenceFileName, setupFolder);
    return found.empty() ? setupFolder + kLicenceFileName : found;
}

bool LoadLicenceText(const std::string& setupFolder, std::string& text)
{
    const std::string path = LicencePathIn(setupFolder);
    std::string bytes;
    MessageId failure;
    switch (ReadFileUpTo(path, kMaxLicenceBytes, bytes)) {
    case BoundedRead::Read:
        text = AnyTextToUtf8(bytes);
        return true;
    case BoundedRead::CannotOpen:
        failure = MessageId::LicenceCannotOpen;
        break;
    case BoundedRead::TooLarge:
        failure = MessageId::LicenceNoMemory;
        break;
    default:
        failure = MessageId::LicenceCannotRead;
        break;
    }
    Prompter::Current().Ask(FormatMessageText(failure, {path}), PromptButtons::Ok,
                            PromptIcon::Stop, MessageText(MessageId::LicenceErrorTitle));
    return false;
}
