#pragma once
// What keeps a local socket between two programs of one user private to that
// user: a folder nobody else can enter, and the user id of the other end.

#include <string>

// $XDG_RUNTIME_DIR when it is a folder of this user's own that nobody else may
// enter, else "corvale-<uid>" in the temporary folder, made so when missing.
// "" when neither is ours alone (someone else made the fallback first).
std::string PrivateSocketFolder();

// True when `path` is a real folder (not a link) of this user that neither
// the group nor others may enter.
bool IsPrivateFolder(const std::string& path);

// True when the process at the other end of the connected local socket
// `descriptor` runs as this user. False when it cannot be told.
bool SocketPeerIsSameUser(long long descriptor);
