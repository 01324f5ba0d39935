#include "ExportCommand.h"

#include "CollectingPrompter.h"
#include "exchange/BookExporter.h"
#include "model/CorvaleDoc.h"
#include "model/DocTemplates.h"

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

int ExportBook(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::error_code ec;
    fs::path target = args.size() == 3 ? fs::absolute(args[2], ec).lexically_normal() : fs::path();
    if (!target.empty() && target.filename().empty())
        target = target.parent_path();
    if (args.size() != 3 || ec || target.filename().empty() || target == target.root_path()) {
        err << "usage: pbktool export BOOK DIR\n";
        return 2;
    }
    CollectingPrompter prompter(PromptReply::Yes);
    std::unique_ptr<CCorvaleDoc> doc = ReadBookFile(args[1]);
    if (!doc) {
        err << prompter.Joined();
        return 1;
    }
    std::string bookFolder = fs::absolute(args[1], ec).parent_path().string();
    BookExporter exporter(*doc, bookFolder, prompter);
    BookExporter::Result result = exporter.Export(target.parent_path().string(), target.filename().string());
    for (const std::string& line : exporter.NotExported())
        err << line << "\n";
    err << prompter.Joined();
    if (result != BookExporter::Result::Done)
        return 1;
    out << exporter.Folder() << "\n";
    return 0;
}
