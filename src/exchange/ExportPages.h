#pragma once
// The files that show an exported Picture Book: HTML pages for browsers (one
// for the whole book, or one per group when the groups have pages of their
// own) and book.json, the same tree for other programs.

#include "exchange/ExportedBook.h"

#include <string>
#include <vector>

struct ExportPage {
    std::string name; // in the export folder
    std::string html;
};

// The root's page first, then each group that has a page, in tree order.
std::vector<ExportPage> RenderExportPages(const ExportedBook& book);

std::string RenderExportJson(const ExportedBook& book);

// What a page says of a node whose file was not exported; "" when it was.
std::string ExportProblemText(const ExportedNode& node);
