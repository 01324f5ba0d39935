#pragma once
// The viewer's menus, context menus, toolbars and accelerators as data: one
// table that the Qt front end turns into actions and menus.

#include "app/CommandIds.h"

#include <string>
#include <vector>

// One entry of a menu: a command, a separator (id 0, no text) or a submenu.
struct MenuItem {
    int id;
    const char* text; // with '&' mnemonics and "\t" + the key shown beside it
    std::vector<MenuItem> submenu;

    bool IsSeparator() const { return id == 0 && submenu.empty(); }
};

// A whole menu bar: top-level entries with their submenus.
using MenuBar = std::vector<MenuItem>;

enum MenuResource {
    IDR_MAINFRAME = 105,     // no Picture Book open
    IDR_BOOK_MENU = 108,     // a Picture Book open (108, 109 and 110 are identical)
    IDR_CONTEXT_MENUS = 259, // "TreeImage", "TreeGroup", "TreeMedia", "Photo", "Text", "Media"
};

enum ContextMenuIndex { CM_TREE_IMAGE = 0, CM_TREE_GROUP = 1, CM_TREE_MEDIA = 2, CM_PHOTO = 3, CM_TEXT = 4,
                        CM_MEDIA = 5 };

// Menu 105 or 108 (for 109 and 110 as well).
const MenuBar& GetMenuBar(int resource);
// The submenus of menu resource 259, by position.
const MenuItem& GetContextMenu(ContextMenuIndex index);

// A key that triggers a command, in the portable form "Ctrl+O", "Shift+F6".
struct Accelerator {
    const char* key;
    int id;
};
// Table 105, or 108 (the same keys plus Ctrl+E and Alt+Enter) when a book is open.
const std::vector<Accelerator>& GetAccelerators(bool bookOpen);

// Toolbar buttons by group ("Main", "Media"); 0 stands for a separator.
struct ToolbarInfo {
    const char* title;
    int barId;
    std::vector<int> buttons;
};
const std::vector<ToolbarInfo>& GetToolbars();

// The command's text as a menu or prompt shows it (first found), "" if none.
std::string CommandText(int id);
// The command's status-bar text and, after "\n", its tool tip; "" if none.
std::string CommandPrompt(int id);
// The menu text without '&' and without the "\t" + key part.
std::string PlainMenuText(const std::string& text);
