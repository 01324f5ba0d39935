#include "setup/ScriptLoader.h"

#include "platform/FileSystem.h"
#include "platform/OwnProgram.h"
#include "platform/PathResolver.h"
#include "platform/Prompter.h"

std::string ProgramFolder(const std::string& programPath)
{
    size_t last = programPath.find_last_of("/\\");
    return last == std::string::npos ? std::string() : programPath.substr(0, last + 1);
}

std::string ScriptPathIn(const std::string& folder)
{
    std::string found = PathResolver::Resolve(kScriptFileName, folder);
    return found.empty() ? folder + kScriptFileName : found;
}

ScriptLoadStatus ReadScriptFile(const std::string& path, std::string& bytes)
{
    switch (ReadFileUpTo(path, kMaxScriptBytes, bytes)) {
    case BoundedRead::Read: return ScriptLoadStatus::Loaded;
    case BoundedRead::CannotOpen: return ScriptLoadStatus::CannotOpen;
    default: return ScriptLoadStatus::CannotRead;
    }
}

MessageId ScriptLoadMessage(ScriptLoadStatus status)
{
    switch (status) {
    case ScriptLoadStatus::NoSelfIdentity:
        return MessageId::CannotGetSelfIdentity;
    case ScriptLoadStatus::CannotOpen:
        return MessageId::CannotOpenSetupScript;
    default:
        return MessageId::CannotReadSetupScript;
    }
}

ScriptLoadStatus LoadScript(const std::string& programPath, SetupScript& script,
                            std::string& setupFolder)
{
    ScriptLoadStatus status = ScriptLoadStatus::NoSelfIdentity;
    std::string bytes;
    if (!programPath.empty()) {
        setupFolder = ProgramFolder(programPath);
        status = ReadScriptFile(ScriptPathIn(setupFolder), bytes);
    }
    if (status != ScriptLoadStatus::Loaded) {
        Prompter::Current().Ask(MessageText(ScriptLoadMessage(status)), PromptButtons::Ok,
                                PromptIcon::Exclamation, MessageText(MessageId::SetupFailedTitle));
        return status;
    }
    script = SetupScript(bytes);
    return status;
}

ScriptLoadStatus LoadScript(SetupScript& script, std::string& setupFolder)
{
    return LoadScript(OwnProgramPath(), script, setupFolder);
}
