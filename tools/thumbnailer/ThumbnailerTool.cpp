#include "ThumbnailerTool.h"

#include "CollectingPrompter.h"
#include "app/BookThumbnail.h"
#include "platform/AtomicFile.h"

#include <cstring>

namespace {

const char kUsage[] = "usage: corvale-thumbnailer -s SIZE INPUT OUTPUT\n"
                      "  writes the first picture of the Picture Book INPUT, fitted into\n"
                      "  SIZE x SIZE pixels (1 to 4096), as the PNG file OUTPUT\n";

constexpr unsigned long kMaxSize = 4096;

int Usage(std::ostream& err)
{
    err << kUsage;
    return 2;
}

// A decimal number from 1 to kMaxSize, nothing else.
bool ParseSize(const std::string& text, uint32_t& size)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    unsigned long value = std::stoul(text);
    if (value < 1 || value > kMaxSize)
        return false;
    size = static_cast<uint32_t>(value);
    return true;
}

} // namespace

int RunThumbnailer(const std::vector<std::string>& args, std::ostream& err)
{
    uint32_t size = 0;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-s" && i + 1 < args.size() && size == 0) {
            if (!ParseSize(args[++i], size))
                return Usage(err);
        } else if (!args[i].empty() && args[i][0] != '-') {
            files.push_back(args[i]);
        } else {
            return Usage(err);
        }
    }
    if (size == 0 || files.size() != 2)
        return Usage(err);

    CollectingPrompter prompter;
    std::string png;
    switch (MakeBookThumbnail(files[0], size, png)) {
    case ThumbnailResult::Made:
        break;
    case ThumbnailResult::BookUnreadable:
        err << files[0] << ": " << prompter.Joined();
        return 1;
    case ThumbnailResult::NoPicture:
        err << files[0] << ": no picture to show\n" << prompter.Joined();
        return 1;
    case ThumbnailResult::OutOfMemory:
        err << files[0] << ": not enough memory for the thumbnail\n";
        return 1;
    }
    int error = 0;
    if (!WriteFileAtomically(files[1], png, error)) {
        err << files[1] << ": " << std::strerror(error) << "\n";
        return 1;
    }
    return 0;
}
