#include "app/CommandIds.h"
#include "model/CorvaleDoc.h"
#include "platform/Prompter.h"
#include "support/TestEnvironment.h"
#include "viewer/ChildFrame.h"
#include "viewer/CorvaleApp.h"
#include "viewer/HelpCommands.h"
#include "viewer/HelpWindow.h"
#include "viewer/MainFrame.h"
#include "viewer/PhotoText.h"
#include "viewer/PhotoTree.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>
#include <QWhatsThisClickedEvent>
#include <gtest/gtest.h>

#include <set>

namespace {

class Help : public ::testing::Test {
protected:
    void SetUp() override
    {
        CCorvaleDoc doc;
        doc.m_strBookTitle = "Trip";
        auto photo = std::make_unique<CPhotoNode>();
        photo->SetFileName("missing.gif");
        photo->m_strText = "Sand";
        doc.m_root.AddPhoto(std::move(photo));
        m_strBook = m_dir.File("Trip.pbk");
        ASSERT_TRUE(doc.OnSaveDocument(m_strBook));
        ASSERT_TRUE(m_app.InitInstance({QStringLiteral("Corvale")}));
        m_pFrame = m_app.GetMainFrame();
    }

    // Runs `id` as its menu item or key would, once the menus say it can run.
    void Trigger(int id)
    {
        m_pFrame->UpdateCommandUI();
        QAction* action = m_pFrame->Action(id);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << id;
        action->trigger();
    }

    QString ShownPage() const
    {
        CHelpWindow* window = m_app.GetHelp()->Window();
        return window ? window->Browser()->source().fileName() : QString();
    }

    // F1 with the keyboard in `widget`.
    QString PageForF1In(QWidget* widget)
    {
        widget->setFocus(Qt::OtherFocusReason);
        EXPECT_EQ(QApplication::focusWidget(), widget);
        Trigger(ID_HELP);
        return ShownPage();
    }

    ScopedRegistry m_registry;
    TempDir m_dir;
    std::string m_strBook;
    RecordingPrompter m_prompter;
    CCorvaleApp m_app;
    CMainFrame* m_pFrame = nullptr;
};

QString ResourceText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST_F(Help, TopicsAndIndexOpenTheHelpWindowAndTheIndexFindsItsPages)
{
    Trigger(ID_HELP_FINDER);
    CHelpWindow* window = m_app.GetHelp()->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Tabs()->currentIndex(), 0);
    EXPECT_EQ(ShownPage(), QStringLiteral("index.html"));
    EXPECT_EQ(window->ContentsList()->currentItem()->text(), QStringLiteral("Corvale Help"));

    Trigger(ID_HELP_INDEX);
    EXPECT_EQ(m_app.GetHelp()->Window(), window); // one help window
    EXPECT_EQ(window->Tabs()->currentIndex(), 1);
    QTest::keyClicks(window->IndexFilter(), QStringLiteral("zip"));
    ASSERT_NE(window->IndexList()->currentItem(), nullptr);
    EXPECT_EQ(window->IndexList()->currentItem()->text(), QStringLiteral("ZIP archive"));
    QTest::keyClick(window->IndexFilter(), Qt::Key_Return);
    EXPECT_EQ(ShownPage(), QStringLiteral("importing.html"));
    // The contents follow the page shown.
    EXPECT_EQ(window->ContentsList()->currentItem()->text(),
              QStringLiteral("Importing a Picture Book from a ZIP archive"));
}

TEST_F(Help, F1ShowsThePageOfThePaneThatHasTheKeyboard)
{
    ASSERT_NE(m_app.OpenDocumentFile(m_strBook), nullptr);
    m_pFrame->TextDock()->show();
    QApplication::setActiveWindow(m_pFrame);
    EXPECT_EQ(PageForF1In(m_pFrame->PhotoTree()), QStringLiteral("browsing.html"));
    EXPECT_EQ(PageForF1In(m_pFrame->PhotoText()), QStringLiteral("text.html"));
    QApplication::setActiveWindow(m_pFrame);
    EXPECT_EQ(PageForF1In(m_app.GetPhotoFrame()->View()), QStringLiteral("photo.html"));
    EXPECT_EQ(CHelpCommands::TopicOf(nullptr), HelpTopic::Contents);
}

TEST_F(Help, WhatsThisUsesTheToolkitsModeAndItsLinksOpenHelp)
{
    Trigger(ID_CONTEXT_HELP);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();

    EXPECT_FALSE(m_pFrame->PhotoTree()->whatsThis().isEmpty());
    EXPECT_FALSE(m_pFrame->PhotoText()->whatsThis().isEmpty());
    for (QToolBar* bar : m_pFrame->findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            if (!action->isSeparator()) {
                EXPECT_FALSE(qobject_cast<QToolButton*>(bar->widgetForAction(action))->whatsThis().isEmpty())
                    << action->text().toStdString();
            }
        }
    }

    // The pane's text links to its page; the link opens it in the help window.
    QString href = QRegularExpression(QStringLiteral("href=\"([^\"]+)\""))
                       .match(m_pFrame->PhotoTree()->whatsThis())
                       .captured(1);
    QWhatsThisClickedEvent click(href);
    QApplication::sendEvent(m_pFrame->PhotoTree(), &click);
    EXPECT_EQ(ShownPage(), QStringLiteral("browsing.html"));
}

TEST(HelpPages, EveryPageHasATitleAndKeywordsAndEveryLinkLeadsToAPage)
{
    std::set<QString> files;
    for (const HelpPageInfo& page : HelpPages())
        files.insert(QString::fromLatin1(page.file));
    QRegularExpression link(QStringLiteral("href=\"([^\"#]*)"));
    for (const HelpPageInfo& page : HelpPages()) {
        QString text = ResourceText(QStringLiteral(":/help/") + QString::fromLatin1(page.file));
        ASSERT_FALSE(text.isEmpty()) << page.file;
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("<title>[^<]+</title>")))) << page.file;
        EXPECT_TRUE(text.contains(QStringLiteral("<meta name=\"keywords\" content=\""))) << page.file;
        for (auto it = link.globalMatch(text); it.hasNext();) {
            QString target = it.next().captured(1);
            EXPECT_TRUE(files.count(target)) << page.file << " links to " << target.toStdString();
        }
    }
    // Every page can be reached from the contents page.
    QString contents = ResourceText(QStringLiteral(":/help/index.html"));
    for (const QString& file : files) {
        if (file != QStringLiteral("index.html")) {
            EXPECT_TRUE(contents.contains(QStringLiteral("href=\"%1\"").arg(file))) << file.toStdString();
        }
    }
}
