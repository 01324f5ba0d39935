#pragma once
// Which edition of the viewer a program file is: Corvale PLUS carries an
// edition record in its file; the free viewer carries none.

#include <string>

enum class ViewerEdition { Free, Plus };

// The edition of the viewer program at `programPath`; a file without the
// record (or one that cannot be read) is the free viewer.
ViewerEdition ReadViewerEdition(const std::string& programPath);

// The bytes of the record a PLUS build carries. Made at run time, so that no
// program of ours holds the record whole and passes for Corvale PLUS.
std::string PlusEditionRecord();
