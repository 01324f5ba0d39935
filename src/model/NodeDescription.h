#pragma once
// The texts that describe a node's kind and its data file's format, as the
// Properties dialog shows them.

#include <string>

class CBaseNode;

// "Overall Picture Book" for the root (a node without parent), then by kind.
const char* DescribeNodeKind(const CBaseNode* node);
// By the upper-cased ending of the file name; "Unknown data format" otherwise.
const char* DescribeDataFormat(const std::string& fileName);
