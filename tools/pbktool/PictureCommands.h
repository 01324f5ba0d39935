#pragma once
// pbktool's picture commands: decode a picture as the viewer loads it, and
// make the display copy the viewer would show.

#include <iosfwd>
#include <string>
#include <vector>

int DecodePicture(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int ShrinkPicture(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
