#include "viewer/ToolbarCommandCustomizePage.h"

#include "app/CommandTable.h"
#include "viewer/CustomizeSheet.h"
#include "viewer/MainFrame.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

#include <algorithm>
#include <vector>

namespace {

// The first two groups are the toolbars, in the order of the toolbar table.
enum Group { kMainGroup = 0, kMediaGroup = 1, kMenuGroup = 2 };
const char* const kGroupNames[] = {"Main", "Media", "Menu"};

// Longer explanations of the commands whose menu text says little on its own.
const struct {
    int id;
    const char* text;
} kPrompts[] = {
    {ID_STOP_PLAYBACK, "Stop the playback of the current media"},
    {ID_PLAY_MEDIA, "Play the currently selected media"},
    {ID_VIEW_MEDIA_PLAYER, "Show the Media Player Window"},
    {ID_WORKBOOK_MODE, "Toggle Workbook Mode"},
};

void CollectMenuIds(const std::vector<MenuItem>& items, std::vector<int>& ids)
{
    for (const MenuItem& item : items) {
        bool recent = item.id >= ID_FILE_MRU_FIRST && item.id <= ID_FILE_MRU_LAST;
        if (item.id != 0 && !recent && std::find(ids.begin(), ids.end(), item.id) == ids.end())
            ids.push_back(item.id);
        CollectMenuIds(item.submenu, ids);
    }
}

// The book's menu bar holds every entry of the other one.
std::vector<int> GroupCommands(int group)
{
    std::vector<int> ids;
    if (group == kMenuGroup) {
        CollectMenuIds(GetMenuBar(IDR_BOOK_MENU), ids);
        CollectMenuIds(GetMenuBar(IDR_MAINFRAME), ids);
        return ids;
    }
    const auto& bars = GetToolbars();
    if (group < 0 || static_cast<size_t>(group) >= bars.size())
        return ids;
    for (int id : bars[static_cast<size_t>(group)].buttons)
        if (id != 0)
            ids.push_back(id);
    return ids;
}

bool MenuHolds(const std::vector<MenuItem>& items, int id)
{
    for (const MenuItem& item : items)
        if ((item.id == id && !item.IsSeparator()) || MenuHolds(item.submenu, id))
            return true;
    return false;
}

} // namespace

std::string CToolbarCommandCustomizePage::CommandDescription(int id)
{
    std::string text = PlainMenuText(CommandText(id));
    for (const auto& p : kPrompts)
        if (p.id == id && text != p.text)
            text += std::string("\n") + p.text;
    for (const MenuItem& top : GetMenuBar(IDR_BOOK_MENU)) {
        if (MenuHolds(top.submenu, id)) {
            text += "\nMenu: " + PlainMenuText(top.text);
            break;
        }
    }
    for (const Accelerator& key : GetAccelerators(true)) {
        if (key.id == id) {
            text += std::string("\nShortcut: ") + key.key;
            break;
        }
    }
    return text;
}

CToolbarCommandCustomizePage::CToolbarCommandCustomizePage(CMainFrame* frame, QWidget* parent)
    : QWidget(parent), m_pFrame(frame)
{
    setWindowTitle(QStringLiteral("Commands"));
    m_pIntro = CCustomizeSheet::CreateDescription(
        QStringLiteral("Pick a group, then a command to see what it does."), this);
    m_pGroups = new QListWidget(this);
    for (const char* name : kGroupNames)
        m_pGroups->addItem(QString::fromLatin1(name));
    m_pGroups->setMaximumWidth(140);
    m_pCommands = new QListWidget(this);
    m_pDescription = new QLabel(this);
    m_pDescription->setWordWrap(true);
    m_pDescription->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_pDescription->setMinimumHeight(m_pDescription->fontMetrics().lineSpacing() * 4);
    m_pDescription->setFrameShape(QFrame::StyledPanel);

    auto* groupsLabel = new QLabel(QStringLiteral("Categories:"), this);
    groupsLabel->setBuddy(m_pGroups);
    auto* commandsLabel = new QLabel(QStringLiteral("Buttons:"), this);
    commandsLabel->setBuddy(m_pCommands);
    auto* descriptionLabel = new QLabel(QStringLiteral("Description:"), this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_pIntro, 0, 0, 1, 2);
    layout->addWidget(groupsLabel, 1, 0);
    layout->addWidget(commandsLabel, 1, 1);
    layout->addWidget(m_pGroups, 2, 0);
    layout->addWidget(m_pCommands, 2, 1);
    layout->addWidget(descriptionLabel, 3, 0, 1, 2);
    layout->addWidget(m_pDescription, 4, 0, 1, 2);
    layout->setRowStretch(2, 1);

    connect(m_pGroups, &QListWidget::currentRowChanged, this, &CToolbarCommandCustomizePage::SelectGroup);
    connect(m_pCommands, &QListWidget::currentItemChanged, this,
            &CToolbarCommandCustomizePage::OnCommandChanged);
    m_pGroups->setCurrentRow(kMainGroup);
}

void CToolbarCommandCustomizePage::SelectGroup(int row)
{
    if (m_pGroups->currentRow() != row) {
        m_pGroups->setCurrentRow(row); // comes back here through the signal
        return;
    }
    m_pCommands->clear();
    for (int id : GroupCommands(row)) {
        auto* item = new QListWidgetItem(QString::fromStdString(PlainMenuText(CommandText(id))));
        item->setData(Qt::UserRole, id);
        if (QAction* action = m_pFrame ? m_pFrame->Action(id) : nullptr)
            item->setIcon(action->icon());
        m_pCommands->addItem(item);
    }
    m_pDescription->clear();
}

void CToolbarCommandCustomizePage::OnCommandChanged()
{
    QListWidgetItem* item = m_pCommands->currentItem();
    int id = item ? item->data(Qt::UserRole).toInt() : 0;
    m_pDescription->setText(item ? QString::fromStdString(CommandDescription(id)) : QString());
}
