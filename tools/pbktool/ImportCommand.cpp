#include "ImportCommand.h"

#include "CollectingPrompter.h"
#include "exchange/ZipImporter.h"
#include "platform/Settings.h"
#include "platform/SystemFolders.h"

#include <ostream>

namespace {

bool ParseArguments(const std::vector<std::string>& args, std::string& archive, std::string& root)
{
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--root") {
            if (i + 1 >= args.size() || !root.empty())
                return false;
            root = args[++i];
        } else if (archive.empty()) {
            archive = args[i];
        } else {
            return false;
        }
    }
    return !archive.empty() && !root.empty();
}

} // namespace

int ImportArchive(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string archive, root;
    if (!ParseArguments(args, archive, root)) {
        err << "usage: pbktool import ZIP --root DIR\n";
        return 2;
    }

    CollectingPrompter prompter(PromptReply::Yes);
    ZipImporter importer(Settings::Profile(), SystemFolders::CurrentDirectory());
    importer.SetRootFolder(root);
    bool ok = importer.ImportZipArchive(archive);
    err << prompter.Joined();
    if (!ok)
        return 1;
    out << importer.NewDataFile() << "\n";
    return 0;
}
