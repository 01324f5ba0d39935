#pragma once
// The three document templates: their document strings and which file names
// open with which document class.

#include <memory>
#include <string>

class CCorvaleDoc;

enum DocTemplateId {
    IDR_PICTUREBOOK = 108, // CCorvaleDoc with the photo view
    IDR_OLDCOLLECTION = 109, // COldCorvaleDoc with the photo view
    IDR_MEDIAVIEW = 110, // CCorvaleDoc with the media view; never opens files
};

enum DocStringIndex {
    windowTitle = 0,
    docName,
    fileNewName,
    filterName,
    filterExt,
    regFileTypeId,
    regFileTypeName,
};

// The field of the template's document string ("" for an unknown template or field).
std::string GetDocString(DocTemplateId id, DocStringIndex index);

// The template that opens `path`, by its extension (".pbk" or ".pcs", any case);
// 0 when neither matches.
int TemplateForPath(const std::string& path);

// Opens `path` with the document class its extension calls for, a name with
// neither extension as a Picture Book; null when it does not open (the
// messages went to the Prompter).
std::unique_ptr<CCorvaleDoc> OpenBookFile(const std::string& path);

// Reads `path` as OpenBookFile does, and only that: nothing is announced on
// the bus. Its book folder is the file's folder.
std::unique_ptr<CCorvaleDoc> ReadBookFile(const std::string& path);

// The templates in registration order.
extern const DocTemplateId kDocTemplates[3];
