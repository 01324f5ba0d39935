#pragma once
// pbktool's make: a Picture Book from a folder of pictures, multimedia files
// and texts, written beside them.

#include <iosfwd>
#include <string>
#include <vector>

// "make DIR BOOK [--title T] [--sender NAME] [--email ADDRESS]": a BOOK
// without a folder part goes into DIR. Prints the book's path to `out` and
// what was left out or changed to `err`; 0 when the book was made, 1 when
// not, 2 for a wrong command line.
int MakeBook(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
