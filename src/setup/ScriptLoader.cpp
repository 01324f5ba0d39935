#include "setup/ScriptLoader.h"

#include "platform/File.h"
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
    CFile file;
    if (!file.Open(path, CFile::modeRead))
        return ScriptLoadStatus::CannotOpen;
    // Read in blocks up to the limit rather than trusting the size the file
    // claims, so a device or pipe in its place cannot fill memory.
    bytes.clear();
    char block[65536];
    for (;;) {
        size_t n = file.Read(block, sizeof(block));
        if (file.Error() != 0)
            return ScriptLoadStatus::CannotRead;
        bytes.append(block, n);
        if (bytes.size() > kMaxScriptBytes)
            return ScriptLoadStatus::CannotRead;
        if (n < sizeof(block))
            return ScriptLoadStatus::Loaded;
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
