#pragma once
// Prints a Picture Book's title, sender and node tree, as indented text or as
// JSON; texts are converted from the book's code page to UTF-8.

#include <string>

class CCorvaleDoc;

std::string DumpBookText(CCorvaleDoc& doc);
std::string DumpBookJson(CCorvaleDoc& doc);
