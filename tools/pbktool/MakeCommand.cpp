#include "MakeCommand.h"

#include "exchange/BookMaker.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace {

const char kUsage[] = "usage: pbktool make DIR BOOK.pbk [--title T] [--sender NAME] [--email ADDRESS]\n";

bool ParseArguments(const std::vector<std::string>& args, std::string& folder, std::string& book,
                    BookMakerOptions& options)
{
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string* option = args[i] == "--title"    ? &options.title
                            : args[i] == "--sender" ? &options.ownerName
                            : args[i] == "--email"  ? &options.ownerEmail
                                                    : nullptr;
        if (!option) {
            files.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size())
            return false;
        *option = args[++i];
    }
    if (files.size() != 2)
        return false;
    folder = files[0];
    book = files[1];
    return book.size() > 4 && HasFileEnding(book, ".pbk");
}

} // namespace

int MakeBook(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string folder, book;
    BookMakerOptions options;
    if (!ParseArguments(args, folder, book, options)) {
        err << kUsage;
        return 2;
    }
    if (fs::path(book).parent_path().empty())
        book = (fs::path(folder) / book).string();
    BookMaker maker(folder, book);
    BookMaker::Result result = maker.Make(options);
    for (const std::string& note : maker.Notes())
        err << note << "\n";
    if (result != BookMaker::Result::Made) {
        err << maker.ErrorText() << "\n";
        return 1;
    }
    out << fs::absolute(book).lexically_normal().string() << "\n";
    return 0;
}
