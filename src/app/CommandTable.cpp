#include "app/CommandTable.h"

namespace {

const MenuItem kSeparator{0, "", {}};

const MenuItem kHelpMenu{0, "&Help",
                         {{ID_HELP_FINDER, "&Help Topics...", {}},
                          {ID_HELP_INDEX, "Help &Index...", {}},
                          {ID_CONTEXT_HELP, "&What's This?\tShift+F1", {}},
                          kSeparator,
                          {ID_APP_ABOUT, "&About Corvale...", {}}}};

const MenuBar kMainMenu = {
    {0, "&File",
     {{ID_FILE_OPEN, "&Open...\tCtrl+O", {}},
      {ID_IMPORT_ZIP, "Import from &ZIP...", {}},
      kSeparator,
      {ID_FILE_PRINT_SETUP, "P&rint Setup...", {}},
      kSeparator,
      {ID_FILE_MRU_FIRST, "Recent File", {}},
      kSeparator,
      {ID_APP_EXIT, "E&xit", {}}}},
    {0, "&View",
     {{ID_VIEW_PHOTO_TREE, "Photo Tree", {}},
      {ID_VIEW_PHOTO_TEXT, "Photo Te&xt", {}},
      kSeparator,
      {ID_VIEW_TOOLBAR, "&Toolbar", {}},
      {ID_VIEW_STATUS_BAR, "&Status Bar", {}},
      {ID_WORKBOOK_MODE, "&Workbook", {}}}},
    {0, "&Tools", {{ID_CUSTOMIZE, "&Customize...", {}}}},
    kHelpMenu,
};

const MenuBar kBookMenu = {
    {0, "&File",
     {{ID_FILE_OPEN, "&Open...\tCtrl+O", {}},
      {ID_IMPORT_ZIP, "Import from &ZIP...", {}},
      {ID_FILE_CLOSE, "&Close", {}},
      kSeparator,
      {ID_FILE_PRINT, "&Print...\tCtrl+P", {}},
      {ID_FILE_PRINT_SETUP, "P&rint Setup...", {}},
      kSeparator,
      {ID_SEND_EMAIL, "Send &Email to Owner...\tCtrl+E", {}},
      {ID_EXPORT_BOOK, "Export &Book...", {}},
      kSeparator,
      {ID_FILE_MRU_FIRST, "Recent File", {}},
      kSeparator,
      {ID_APP_EXIT, "E&xit", {}}}},
    {0, "&Edit", {{ID_EDIT_COPY, "&Copy to Clipboard\tCtrl+C", {}}}},
    {0, "&View",
     {{ID_VIEW_PHOTO_TREE, "&Photo Tree", {}},
      {ID_VIEW_PHOTO_TEXT, "Photo Te&xt", {}},
      {ID_VIEW_MEDIA_PLAYER, "Media Player", {}},
      kSeparator,
      {ID_VIEW_TOOLBAR, "&Toolbar", {}},
      {ID_VIEW_STATUS_BAR, "&Status Bar", {}},
      {ID_WORKBOOK_MODE, "&Workbook", {}},
      kSeparator,
      {ID_PROPERTIES, "P&roperties\tAlt+Enter", {}}}},
    {0, "&Tools",
     {{ID_CUSTOMIZE, "&Customize...", {}}, kSeparator, {ID_CREATE_SHORTCUT, "Create &Shortcut", {}}}},
    {0, "&Window",
     {{ID_WINDOW_CASCADE, "&Cascade", {}},
      {ID_WINDOW_TILE, "&Tile", {}},
      {ID_WINDOW_ARRANGE, "&Arrange Icons", {}}}},
    kHelpMenu,
};

const MenuItem kCopy{ID_EDIT_COPY, "&Copy to Clipboard\tCtrl+C", {}};
const MenuItem kProperties{ID_PROPERTIES, "P&roperties\tAlt+Enter", {}};

const MenuItem kContextMenus[] = {
    {0, "TreeImage", {{ID_UP, "&Up to Photo Group", {}}, kSeparator, kCopy, kSeparator, kProperties}},
    {0, "TreeGroup", {{ID_UP, "&Up to Parent Group", {}}, kSeparator, kCopy, kSeparator, kProperties}},
    {0, "TreeMedia",
     {{ID_PLAY, "&Play", {}}, {ID_UP, "&Up to Parent Photo", {}}, kSeparator, kCopy, kSeparator,
      kProperties}},
    {0, "Photo", {kCopy, kSeparator, kProperties}},
    {0, "Text",
     {kCopy, kSeparator, {ID_SELECT_ALL_TEXT, "&Select All Text\tCtrl+A", {}}, kSeparator, kProperties}},
    {0, "Media",
     {{ID_PLAY, "&Play", {}}, {ID_UP, "&Up to Parent Photo", {}}, kSeparator, kCopy, kSeparator,
      kProperties}},
};

const std::vector<Accelerator> kMainAccelerators = {
    {"Ctrl+O", ID_FILE_OPEN},    {"Ctrl+P", ID_FILE_PRINT},     {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+Ins", ID_EDIT_COPY},  {"F6", ID_NEXT_PANE},          {"Shift+F6", ID_PREV_PANE},
    {"Shift+F1", ID_CONTEXT_HELP}, {"F1", ID_HELP},
};

std::vector<Accelerator> BookAccelerators()
{
    std::vector<Accelerator> keys = kMainAccelerators;
    keys.push_back({"Ctrl+E", ID_SEND_EMAIL});
    keys.push_back({"Alt+Return", ID_PROPERTIES});
    return keys;
}

const std::vector<ToolbarInfo> kToolbars = {
    {"Main Toolbar", ID_VIEW_TOOLBAR,
     {ID_FILE_OPEN, ID_IMPORT_ZIP, 0, ID_EDIT_COPY, 0, ID_FILE_PRINT_DIRECT, 0, ID_VIEW_MEDIA_PLAYER, 0,
      ID_PROPERTIES, ID_APP_ABOUT}},
    {"Media", ID_VIEW_MEDIA_TOOLBAR, {ID_STOP_PLAYBACK, ID_PLAY_MEDIA}},
};

// Prompts of commands that appear on no menu.
const struct {
    int id;
    const char* text;
} kPrompts[] = {
    {ID_STOP_PLAYBACK, "Stop playback"},
    {ID_PLAY_MEDIA, "Play media"},
    {ID_FILE_PRINT_DIRECT, "Print"},
    {ID_REALTIME_DRAG, "Enable Realtime Drag Mode"},
    {ID_FRAME_BORDER_LAYOUT, "Toggle Frame Border Layout"},
    // The status bar's lock panes, shown while their lock is on.
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
};

// What the status bar says while a command is pointed at, and after "\n" its
// tool tip. The framework's standard commands keep their standard prompts.
const struct {
    int id;
    const char* prompt;
} kStatusPrompts[] = {
    {ID_FILE_OPEN, "Open an existing document\nOpen"},
    {ID_FILE_CLOSE, "Close the active document\nClose"},
    {ID_FILE_SAVE, "Save the active document\nSave"},
    {ID_FILE_SAVE_AS, "Save the active document with a new name\nSave As"},
    {ID_FILE_PRINT, "Print the active document\nPrint"},
    {ID_FILE_PRINT_DIRECT, "Print the active document using current options\nQuick Print"},
    {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
    {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
    {ID_WINDOW_CASCADE, "Arrange windows so they overlap\nCascade Windows"},
    {ID_WINDOW_TILE, "Arrange windows as non-overlapping tiles\nTile Windows"},
    {ID_WINDOW_ARRANGE, "Arrange icons at the bottom of the window\nArrange Icons"},
    {ID_HELP_FINDER, "List Help topics\nHelp Topics"},
    {ID_HELP_INDEX, "List the keywords of Help\nHelp Index"},
    {ID_HELP, "Display help for the current pane\nHelp"},
    {ID_CONTEXT_HELP, "Display help for clicked buttons, menus and windows\nHelp"},
    {ID_VIEW_MEDIA_PLAYER, "Show the Media Player Window\nShow Media Player"},
    {ID_STOP_PLAYBACK, "Stop the playback of the current media\nStop playback"},
    {ID_PLAY_MEDIA, "Play the currently selected media\nPlay media"},
    {ID_IMPORT_ZIP, "Import a new Picture Book from a ZIP archive\nImport from ZIP"},
    {ID_CREATE_SHORTCUT, "Create a Shortcut on the Desktop\nCreate Shortcut"},
    {ID_EXPORT_BOOK, "Export the Picture Book as web pages with all its photos and files\nExport Book"},
    {ID_PROPERTIES, "Show what the current item is, its file and its sizes\nProperties"},
};

const char* FindText(const std::vector<MenuItem>& items, int id)
{
    for (const MenuItem& item : items) {
        if (item.id == id && !item.IsSeparator())
            return item.text;
        if (const char* text = FindText(item.submenu, id))
            return text;
    }
    return nullptr;
}

} // namespace

const MenuBar& GetMenuBar(int resource)
{
    return resource == IDR_MAINFRAME ? kMainMenu : kBookMenu;
}

const MenuItem& GetContextMenu(ContextMenuIndex index)
{
    return kContextMenus[index];
}

const std::vector<Accelerator>& GetAccelerators(bool bookOpen)
{
    static const std::vector<Accelerator> book = BookAccelerators();
    return bookOpen ? book : kMainAccelerators;
}

const std::vector<ToolbarInfo>& GetToolbars()
{
    return kToolbars;
}

std::string CommandText(int id)
{
    for (const MenuBar* bar : {&kBookMenu, &kMainMenu})
        if (const char* text = FindText(*bar, id))
            return text;
    for (const MenuItem& menu : kContextMenus)
        if (const char* text = FindText(menu.submenu, id))
            return text;
    for (const auto& p : kPrompts)
        if (p.id == id)
            return p.text;
    return std::string();
}

std::string PlainMenuText(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\t')
            break;
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&')
                out += text[++i];
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string CommandPrompt(int id)
{
    for (const auto& entry : kStatusPrompts)
        if (entry.id == id)
            return entry.prompt;
    return {};
}
