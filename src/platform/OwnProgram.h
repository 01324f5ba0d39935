#pragma once
// Where the running program's own file is, for programs that find their
// companion files beside themselves.

#include <string>

// The absolute path of the running program's file; "" when the system cannot tell.
std::string OwnProgramPath();
