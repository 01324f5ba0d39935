#include "PbkTool.h"

#include "BookDump.h"
#include "CollectingPrompter.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "MakeCommand.h"
#include "PictureCommands.h"
#include "InstallCommand.h"
#include "ScriptCommand.h"
#include "model/DocTemplates.h"
#include "model/OldCorvaleDoc.h"
#include "platform/Prompter.h"
#include "platform/SystemFolders.h"

#include <memory>
#include <ostream>

namespace {

const char kUsage[] =
    "usage: pbktool COMMAND ...\n"
    "  dump [--json] BOOK   print the title, sender and node tree\n"
    "  check BOOK           print \"ok\" when the book loads, else the viewer's message\n"
    "  write IN OUT         load a Picture Book (.pbk or .pcs) and store it as .pbk\n"
    "  decode PICTURE OUT   load a picture as the viewer does; OUT is .ppm or .bmp\n"
    "  shrink PICTURE OUT [--size N] [--factor F]\n"
    "                       the display copy for size index N (0-3) and factor\n"
    "                       index F (0-5)\n"
    "  import ZIP --root DIR import a Picture Book from a ZIP archive into a folder of\n"
    "                       its own under DIR, answering Yes to the folder question;\n"
    "                       prints the new book's path\n"
    "  export BOOK DIR      the book's photos and multimedia files, index.html and\n"
    "                       book.json in the new folder DIR (DIR(1)... when it exists);\n"
    "                       prints the folder\n"
    "  make DIR BOOK.pbk [--title T] [--sender NAME] [--email ADDRESS]\n"
    "                       a Picture Book of the pictures, multimedia files and texts\n"
    "                       in DIR and its sub-folders, written in DIR\n"
    "  script INF [--sections NAME[,NAME...]] [--install DIR]\n"
    "                       the work lists a setup script's install sections build\n"
    "  install INF --install DIR [--uninstall]\n"
    "                       install a setup package into DIR (or undo it), creating\n"
    "                       the folder and never replacing a newer file\n";

int Usage(std::ostream& err)
{
    err << kUsage;
    return 2;
}

int Dump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    bool json = false;
    std::string file;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json")
            json = true;
        else if (file.empty())
            file = args[i];
        else
            return Usage(err);
    }
    if (file.empty())
        return Usage(err);
    CollectingPrompter prompter;
    std::unique_ptr<CCorvaleDoc> doc = OpenBookFile(file);
    if (!doc) {
        err << prompter.Joined();
        return 1;
    }
    out << (json ? DumpBookJson(*doc) : DumpBookText(*doc));
    return 0;
}

int Check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2)
        return Usage(err);
    CollectingPrompter prompter;
    std::unique_ptr<CCorvaleDoc> doc = OpenBookFile(args[1]);
    if (!doc) {
        out << prompter.Joined();
        return 1;
    }
    out << "ok\n";
    return 0;
}

int Write(const std::vector<std::string>& args, std::ostream& err)
{
    if (args.size() != 3)
        return Usage(err);
    CollectingPrompter prompter;
    std::unique_ptr<CCorvaleDoc> doc = OpenBookFile(args[1]);
    if (!doc) {
        err << prompter.Joined();
        return 1;
    }
    // Always the Picture Book layout; the tool has no use for the viewer's
    // one-time notice about converting an older collection.
    if (!doc->CCorvaleDoc::OnSaveDocument(args[2])) {
        err << prompter.Joined();
        return 1;
    }
    return 0;
}

} // namespace

int RunPbkTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        return Usage(err);
    const std::string& command = args[0];
    if (command == "dump")
        return Dump(args, out, err);
    if (command == "check")
        return Check(args, out, err);
    if (command == "write")
        return Write(args, err);
    if (command == "decode")
        return DecodePicture(args, out, err);
    if (command == "shrink")
        return ShrinkPicture(args, out, err);
    if (command == "import")
        return ImportArchive(args, out, err);
    if (command == "export")
        return ExportBook(args, out, err);
    if (command == "make")
        return MakeBook(args, out, err);
    if (command == "script")
        return PrintScriptWorkLists(args, out, err);
    if (command == "install")
        return InstallPackage(args, out, err);
    if (command == "help" || command == "--help" || command == "-h") {
        out << kUsage;
        return 0;
    }
    err << "pbktool: unknown command '" << command << "'\n";
    return Usage(err);
}
