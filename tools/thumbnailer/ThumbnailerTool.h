#pragma once
// corvale-thumbnailer -s SIZE INPUT OUTPUT: writes the cover of the Picture
// Book INPUT, fitted into SIZE x SIZE pixels, as the PNG file OUTPUT, as the
// desktop's thumbnailer entry asks. Nothing is written when the book is
// damaged or shows no picture.

#include <ostream>
#include <string>
#include <vector>

// The limits the program puts on itself before it reads anything.
constexpr unsigned kThumbnailerRealSeconds = 20;
constexpr unsigned kThumbnailerProcessorSeconds = 15;
constexpr unsigned long long kThumbnailerMemoryBytes = 1ull << 30;

// `args` excludes the program name. Exit status: 0 written, 1 no thumbnail
// (the reason on `err`), 2 wrong usage.
int RunThumbnailer(const std::vector<std::string>& args, std::ostream& err);
