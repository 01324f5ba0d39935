#pragma once
// Text as the values of a freedesktop desktop entry hold it.

#include <string>

// A value of the string kind: backslashes and line breaks escaped.
std::string DesktopEntryValue(const std::string& text);

// One argument of an Exec value, before the value's own escaping: quoted,
// with the characters the quoting reserves escaped and '%' doubled, so it is
// passed on as it is and never read as a field code.
std::string DesktopExecArgument(const std::string& text);
