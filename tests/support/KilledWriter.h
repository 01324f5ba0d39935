#pragma once
// What a save killed with SIGKILL leaves: a child process starts writing
// `target` through the atomic writer and is killed before it commits.

#include <string>

// Returns the temporary file's name left in the target's folder ("" when
// the child did not die that way or left nothing).
std::string LeaveKilledWriterTemporary(const std::string& target);
