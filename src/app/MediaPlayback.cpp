#include "app/MediaPlayback.h"

#include "app/MediaWindowHost.h"
#include "model/MediaNode.h"
#include "model/MessageBus.h"
#include "model/Router.h"
#include "platform/FileSystem.h"
#include "platform/MessageTable.h"
#include "platform/PathResolver.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompter.h"
#include "platform/SystemFolders.h"

namespace {

void Report(MessageId id)
{
    Prompter::Current().Message(MessageText(id), PromptIcon::Exclamation);
}

} // namespace

std::string MediaPlayerProgram(const std::string& windowsFolder)
{
    bool separated = !windowsFolder.empty() && (windowsFolder.back() == '\\' || windowsFolder.back() == '/');
    return windowsFolder + (separated ? "mplayer.exe" : "/mplayer.exe");
}

std::vector<std::string> MediaPlayerArguments(const std::string& file)
{
    return {"/play", "/close", file};
}

void PlayMediaItem(CMediaNode& item, const std::string& bookFolder, MessageBus& bus, MediaWindowHost& host)
{
    if (item.m_strFileName.empty())
        return;
    std::string path = PathResolver::Resolve(item.m_strFileName, bookFolder);
    // A pipe or device in the file's place would have a player wait or read
    // for ever: only a regular file is an item's file.
    if (path.empty() || !IsRegularFile(path)) {
        Prompter::Current().Message(FormatMessageText(MessageId::MediaFileNotFound, {item.m_strFileName}),
                                    PromptIcon::Exclamation);
        return;
    }

    if (host.IsMediaPlayerAvailable()) {
        if (!host.HasMediaWindow()) {
            host.OpenMediaWindow();
            // Everyone hears of the item, the new media window included.
            bus.Send(RouterMessage::SelectNode(&item), nullptr);
        }
        if (host.HasMediaWindow())
            host.PlayInMediaWindow();
        else
            Report(MessageId::CannotOpenMediaViewer);
        return;
    }

    PlayWithOutsidePlayer(path, item.m_nMediaType);
}

bool PlayWithOutsidePlayer(const std::string& path, int mediaType)
{
    std::string currentFolder = SystemFolders::CurrentDirectory();
    if (currentFolder.empty()) {
        Report(MessageId::CannotFindCurrentFolder);
        return false;
    }
    bool started;
    if (mediaType == MEDIA_SOUND) {
        started = ProcessLauncher::Current().ShellOpen(path, currentFolder);
    } else {
        std::string windowsFolder = SystemFolders::WindowsFolder();
        if (windowsFolder.empty()) {
            Report(MessageId::CannotFindWindowsFolder);
            return false;
        }
        std::string program = MediaPlayerProgram(windowsFolder);
        started = ProcessLauncher::Current().StartProgram(program, MediaPlayerArguments(path),
                                                          currentFolder);
    }
    if (!started)
        Report(MessageId::CannotLaunchPlayer);
    return started;
}
