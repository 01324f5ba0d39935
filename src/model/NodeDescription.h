#pragma once
// The texts that describe a node's kind and its data file's format, as the
// Properties dialog shows them.

#include <cstdint>
#include <string>

class CBaseNode;

// "Overall Picture Book" for the root (a node without parent), then by kind.
const char* DescribeNodeKind(const CBaseNode* node);
// By the upper-cased ending of the file name; "Unknown data format" otherwise.
const char* DescribeDataFormat(const std::string& fileName);
// "group", "photo" or "media": the kind as the tool's listings name it.
const char* NodeKindName(const CBaseNode* node);
// "sound", "video", "midi" for media types 1 to 3; "unknown" otherwise.
const char* MediaTypeName(int32_t type);
