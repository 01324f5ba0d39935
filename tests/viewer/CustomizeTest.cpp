#include "app/CommandIds.h"
#include "model/CorvaleDoc.h"
#include "model/Router.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "support/TestEnvironment.h"
#include "viewer/CorvaleApp.h"
#include "viewer/CustomizeSheet.h"
#include "viewer/DisplayCustomizePage.h"
#include "viewer/MainFrame.h"
#include "viewer/SplitterStyle.h"
#include "viewer/ToolbarCommandCustomizePage.h"
#include "viewer/ToolbarCustomizePage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <map>

namespace {

class RecordingRouter : public CRouter {
public:
    void OnMessage(const RouterMessage& message) override { m_messages.push_back(message); }
    std::vector<RouterMessage> m_messages;
};

// Every value of the "Settings" section, by name.
std::map<std::string, uint32_t> SettingsSnapshot()
{
    Settings settings = Settings::Profile();
    Registry registry = Registry::Default();
    std::string key = settings.SectionKey(kSettingsSection);
    std::map<std::string, uint32_t> values;
    for (const std::string& name : registry.ValueNames(RegistryRoot::CurrentUser, key)) {
        uint32_t value = 0xDEADBEEF;
        registry.GetDword(RegistryRoot::CurrentUser, key, name, value);
        values[name] = value;
    }
    return values;
}

std::vector<std::string> ChangedNames(const std::map<std::string, uint32_t>& before,
                                      const std::map<std::string, uint32_t>& after)
{
    std::vector<std::string> names;
    for (const auto& [name, value] : after) {
        auto it = before.find(name);
        if (it == before.end() || it->second != value)
            names.push_back(name);
    }
    return names;
}

int StoredInt(SettingKey key)
{
    return Settings::Profile().GetInt(key);
}

void Store(SettingKey key, int value)
{
    Settings settings = Settings::Profile();
    ASSERT_TRUE(settings.WriteInt(key, value));
}

// A started viewer with the first-run defaults already behind it.
class CustomizeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Store(SettingKey::PostInstallWasRun, 1);
        ASSERT_TRUE(m_app.InitInstance({QStringLiteral("Corvale")}));
        m_pFrame = m_app.GetMainFrame();
        m_pPrompter = std::make_unique<RecordingPrompter>(); // no message box may block a test
    }

    // Opens an empty book and has `router` join its bus, where display
    // settings are announced.
    void ListenToTheOpenBook(CRouter& router)
    {
        ASSERT_TRUE(m_app.NewDocument());
        router.JoinBus(&m_app.GetDocument()->Bus());
    }

    ScopedRegistry m_registry;
    CCorvaleApp m_app;
    std::unique_ptr<RecordingPrompter> m_pPrompter;
    CMainFrame* m_pFrame = nullptr;
};

const QColor kDarkBlue(0, 0, 128);

} // namespace

TEST(DisplayPage, OpensWithTheDefaultsWhenNothingIsStored)
{
    ScopedRegistry registry;
    CDisplayCustomizePage page(nullptr);
    EXPECT_EQ(page.m_pSplitterStyle->currentText(), QStringLiteral("3D Splitters"));
    EXPECT_TRUE(page.m_pCenterLargePhotos->isChecked());
    EXPECT_TRUE(page.m_pShrinkLargeImages->isChecked());
    EXPECT_EQ(page.m_pShrinkSize->currentText(), QStringLiteral("640 x 480"));
    EXPECT_EQ(page.m_pShrinkFactor->currentText(), QStringLiteral("the largest reasonable size"));
    EXPECT_TRUE(page.m_pShrinkSize->isEnabled());
    EXPECT_TRUE(page.m_pShrinkFactor->isEnabled());
    EXPECT_FALSE(page.IsModified());

    EXPECT_EQ(page.m_pDescription->text(),
              QStringLiteral("Corvale's visual display can have some of it's features customized."));
    EXPECT_EQ(page.m_pDescription->palette().color(QPalette::WindowText), kDarkBlue);
    EXPECT_EQ(page.m_pShrinkDescription->palette().color(QPalette::WindowText), kDarkBlue);
    EXPECT_EQ(page.m_pShrinkFactor->count(), 6);
    EXPECT_EQ(page.m_pShrinkFactor->itemText(5), QStringLiteral("1/4 of their original size"));
    EXPECT_EQ(page.m_pShrinkSize->itemText(3), QStringLiteral("960 x 720"));
}

TEST_F(CustomizeTest, DisplayPageReadsStoredValuesAndEnablesTheListsWithTheShrinkBox)
{
    Store(SettingKey::SplitterStyle, 2);
    Store(SettingKey::CenterLargePhotos, 2); // only exactly 1 means on
    Store(SettingKey::ShrinkLargeImages, 0);
    Store(SettingKey::ImageShrinkSize, 1);
    Store(SettingKey::ImageShrinkFactor, 4);
    CCustomizeSheet sheet(m_pFrame);
    CDisplayCustomizePage* page = sheet.m_pDisplayPage;
    EXPECT_EQ(page->m_pSplitterStyle->currentText(), QStringLiteral("Invisible Splitters"));
    EXPECT_FALSE(page->m_pCenterLargePhotos->isChecked());
    EXPECT_FALSE(page->m_pShrinkLargeImages->isChecked());
    EXPECT_EQ(page->m_pShrinkSize->currentText(), QStringLiteral("480 x 360"));
    EXPECT_EQ(page->m_pShrinkFactor->currentText(), QStringLiteral("1/3 of their original size"));
    EXPECT_FALSE(page->m_pShrinkSize->isEnabled());
    EXPECT_FALSE(page->m_pShrinkFactor->isEnabled());
    EXPECT_FALSE(sheet.m_pApply->isEnabled());

    page->m_pShrinkLargeImages->click();
    EXPECT_TRUE(page->m_pShrinkSize->isEnabled());
    EXPECT_TRUE(page->m_pShrinkFactor->isEnabled());
    EXPECT_TRUE(page->IsModified());
    EXPECT_TRUE(sheet.m_pApply->isEnabled());

    page->m_pShrinkLargeImages->click();
    EXPECT_FALSE(page->m_pShrinkSize->isEnabled());
    EXPECT_FALSE(page->m_pShrinkFactor->isEnabled());
}

TEST_F(CustomizeTest, ApplyStoresTheFiveSettingsMakesThemLiveAndTellsThePanes)
{
    CCustomizeSheet sheet(m_pFrame);
    CDisplayCustomizePage* page = sheet.m_pDisplayPage;
    page->m_pSplitterStyle->setCurrentIndex(1);
    page->m_pCenterLargePhotos->setChecked(false);
    page->m_pShrinkLargeImages->setChecked(true);
    page->m_pShrinkSize->setCurrentIndex(3);
    page->m_pShrinkFactor->setCurrentIndex(5);
    ASSERT_TRUE(sheet.m_pApply->isEnabled());

    auto before = SettingsSnapshot();
    RecordingRouter router;
    ListenToTheOpenBook(router);
    sheet.m_pApply->click();

    std::vector<std::string> changed = ChangedNames(before, SettingsSnapshot());
    for (const std::string& name : changed)
        EXPECT_TRUE(name == "SplitterStyle" || name == "CenterLargePhotos" || name == "ShrinkLargeImages" ||
                    name == "ImageShrinkSize" || name == "ImageShrinkFactor")
            << name;
    EXPECT_EQ(StoredInt(SettingKey::SplitterStyle), 1);
    EXPECT_EQ(StoredInt(SettingKey::CenterLargePhotos), 0);
    EXPECT_EQ(StoredInt(SettingKey::ShrinkLargeImages), 1);
    EXPECT_EQ(StoredInt(SettingKey::ImageShrinkSize), 3);
    EXPECT_EQ(StoredInt(SettingKey::ImageShrinkFactor), 5);

    EXPECT_FALSE(m_app.m_bCenterLargePhotos);
    EXPECT_TRUE(m_pFrame->m_bShrinkLargeImages);
    EXPECT_EQ(m_pFrame->m_nImageShrinkSize, 3);
    EXPECT_EQ(m_pFrame->m_nImageShrinkFactor, 5);
    EXPECT_EQ(m_pFrame->SplitterCode(), static_cast<int>(CSplitterStyle::kFlat));

    ASSERT_EQ(router.m_messages.size(), 1u);
    EXPECT_EQ(router.m_messages[0].m_nCode, static_cast<uint32_t>(RM_DISPLAY_SETTINGS));
    EXPECT_EQ(router.m_messages[0].m_nShrinkFactor, 5);
    EXPECT_EQ(router.m_messages[0].m_nShrinkSize, 3);
    EXPECT_FALSE(sheet.m_pApply->isEnabled());
    EXPECT_FALSE(page->IsModified());

    // Ticking the centring box again stores 1 and switches the application flag on.
    page->m_pCenterLargePhotos->setChecked(true);
    page->m_pShrinkLargeImages->setChecked(false);
    sheet.m_pApply->click();
    EXPECT_EQ(StoredInt(SettingKey::CenterLargePhotos), 1);
    EXPECT_EQ(StoredInt(SettingKey::ShrinkLargeImages), 0);
    EXPECT_TRUE(m_app.m_bCenterLargePhotos);
    EXPECT_FALSE(m_pFrame->m_bShrinkLargeImages);
    EXPECT_EQ(router.m_messages.size(), 2u);
}

TEST_F(CustomizeTest, AnIndexTheListDoesNotOfferIsKeptOnApply)
{
    Store(SettingKey::ImageShrinkSize, 7);
    CCustomizeSheet sheet(m_pFrame);
    EXPECT_EQ(sheet.m_pDisplayPage->m_pShrinkSize->currentIndex(), -1);
    RecordingRouter router;
    ListenToTheOpenBook(router);
    sheet.m_pDisplayPage->OnApply();
    EXPECT_EQ(StoredInt(SettingKey::ImageShrinkSize), 7);
    ASSERT_EQ(router.m_messages.size(), 1u);
    EXPECT_EQ(router.m_messages[0].m_nShrinkSize, 7);
}

TEST_F(CustomizeTest, OkAppliesCancelStoresNothing)
{
    {
        CCustomizeSheet sheet(m_pFrame);
        ASSERT_EQ(sheet.m_pTabs->count(), 3);
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Customize"));
        EXPECT_EQ(sheet.m_pTabs->tabText(0), QStringLiteral("Display"));
        EXPECT_EQ(sheet.m_pTabs->tabText(1), QStringLiteral("Toolbars"));
        EXPECT_EQ(sheet.m_pTabs->tabText(2), QStringLiteral("Commands"));
        sheet.m_pDisplayPage->m_pShrinkFactor->setCurrentIndex(2);
        auto before = SettingsSnapshot();
        sheet.reject();
        EXPECT_EQ(SettingsSnapshot(), before);
    }
    CCustomizeSheet sheet(m_pFrame);
    sheet.m_pDisplayPage->m_pShrinkFactor->setCurrentIndex(2);
    RecordingRouter router;
    ListenToTheOpenBook(router);
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(StoredInt(SettingKey::ImageShrinkFactor), 2);
    EXPECT_EQ(router.m_messages.size(), 1u);
}

TEST_F(CustomizeTest, TheMainFrameReadsTheLiveSettingsAgainAfterTheSheetCloses)
{
    bool sawSheet = false;
    QTimer::singleShot(0, m_pFrame, [&sawSheet]() {
        auto* sheet = qobject_cast<CCustomizeSheet*>(QApplication::activeModalWidget());
        sawSheet = sheet != nullptr;
        // Changed behind the sheet's back; cancelling must still pick them up.
        Store(SettingKey::ShrinkLargeImages, 0);
        Store(SettingKey::ImageShrinkSize, 1);
        Store(SettingKey::ImageShrinkFactor, 3);
        if (sheet)
            sheet->reject();
    });
    ASSERT_TRUE(m_pFrame->Action(ID_CUSTOMIZE)->isEnabled());
    m_pFrame->Action(ID_CUSTOMIZE)->trigger();
    EXPECT_TRUE(sawSheet);
    EXPECT_FALSE(m_pFrame->m_bShrinkLargeImages);
    EXPECT_EQ(m_pFrame->m_nImageShrinkSize, 1);
    EXPECT_EQ(m_pFrame->m_nImageShrinkFactor, 3);
}

TEST_F(CustomizeTest, ToolbarBoxesShowAndHideTheToolbarsAtOnce)
{
    CCustomizeSheet sheet(m_pFrame);
    CToolbarCustomizePage* page = sheet.m_pToolbarPage;
    auto* mainBar = m_pFrame->findChild<QToolBar*>(QStringLiteral("Main Toolbar"));
    auto* mediaBar = m_pFrame->findChild<QToolBar*>(QStringLiteral("Media"));
    ASSERT_TRUE(mainBar && mediaBar);
    ASSERT_EQ(page->m_checkBoxes.size(), 2u);
    EXPECT_EQ(page->m_checkBoxes[0]->text(), QStringLiteral("Main Toolbar"));
    EXPECT_EQ(page->m_checkBoxes[1]->text(), QStringLiteral("Media"));
    EXPECT_TRUE(page->CheckBoxFor(QStringLiteral("Media"))->isChecked());

    page->CheckBoxFor(QStringLiteral("Media"))->click();
    EXPECT_TRUE(mediaBar->isHidden());
    EXPECT_FALSE(mainBar->isHidden());
    page->CheckBoxFor(QStringLiteral("Media"))->click();
    EXPECT_FALSE(mediaBar->isHidden());

    // Hidden through the View menu while the page is open: the box follows.
    m_pFrame->Action(ID_VIEW_TOOLBAR)->trigger();
    EXPECT_TRUE(mainBar->isHidden());
    EXPECT_FALSE(page->CheckBoxFor(QStringLiteral("Main Toolbar"))->isChecked());
    EXPECT_EQ(page->m_pDescription->palette().color(QPalette::WindowText), kDarkBlue);
}

TEST_F(CustomizeTest, CommandsPageListsTheGroupsAndDescribesTheChosenCommand)
{
    CCustomizeSheet sheet(m_pFrame);
    CToolbarCommandCustomizePage* page = sheet.m_pCommandPage;
    ASSERT_EQ(page->m_pGroups->count(), 3);
    EXPECT_EQ(page->m_pGroups->item(0)->text(), QStringLiteral("Main"));
    EXPECT_EQ(page->m_pGroups->item(1)->text(), QStringLiteral("Media"));
    EXPECT_EQ(page->m_pGroups->item(2)->text(), QStringLiteral("Menu"));

    auto texts = [page]() {
        QStringList list;
        for (int i = 0; i < page->m_pCommands->count(); ++i)
            list << page->m_pCommands->item(i)->text();
        return list;
    };
    EXPECT_EQ(texts(), (QStringList{"Open...", "Import from ZIP...", "Copy to Clipboard", "Print",
                                    "Media Player", "Properties", "About Corvale..."}));
    page->m_pCommands->setCurrentRow(0);
    EXPECT_EQ(page->m_pDescription->text(), QStringLiteral("Open...\nMenu: File\nShortcut: Ctrl+O"));

    page->SelectGroup(1);
    EXPECT_EQ(texts(), (QStringList{"Stop playback", "Play media"}));
    EXPECT_TRUE(page->m_pDescription->text().isEmpty());
    page->m_pCommands->setCurrentRow(1);
    EXPECT_EQ(page->m_pDescription->text(), QStringLiteral("Play media\nPlay the currently selected media"));

    page->SelectGroup(2);
    QStringList menu = texts();
    EXPECT_TRUE(menu.contains(QStringLiteral("Customize...")));
    EXPECT_TRUE(menu.contains(QStringLiteral("Exit")));
    EXPECT_TRUE(menu.contains(QStringLiteral("Arrange Icons")));
    EXPECT_FALSE(menu.contains(QStringLiteral("Recent File")));
    EXPECT_EQ(menu.removeDuplicates(), 0);
}
