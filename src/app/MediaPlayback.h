#pragma once
// How a multimedia item is played: in the media window when the media player
// is available, else a sound through the desktop's opener and anything else
// through the system's player program, each left to run on its own.

#include <string>
#include <vector>

class CMediaNode;
class MediaWindowHost;
class MessageBus;

// Plays `item`, whose file name is taken in `bookFolder`; a media window it
// opens is announced on the book's `bus`. Every failure is reported through
// the prompter.
void PlayMediaItem(CMediaNode& item, const std::string& bookFolder, MessageBus& bus, MediaWindowHost& host);

// Hands the existing file `path` of an item of `mediaType` to a player that
// runs on its own: a sound to the desktop's opener, anything else to the
// system's player program. False (after telling the user) when none started.
bool PlayWithOutsidePlayer(const std::string& path, int mediaType);

// The system's player program in the Windows folder.
std::string MediaPlayerProgram(const std::string& windowsFolder);
// The arguments that have the player play `file` and close at the end; the
// file is always the last one, whole, whatever characters its name holds.
std::vector<std::string> MediaPlayerArguments(const std::string& file);
