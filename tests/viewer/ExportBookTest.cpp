// Export Book... as the viewer runs it: the import's progress dialog under its
// own title, whose Cancel stops the export and leaves nothing behind, and
// the closing offer to open the pages.

#include "model/CorvaleDoc.h"
#include "model/DocTemplates.h"
#include "platform/Prompter.h"
#include "support/TestEnvironment.h"
#include "viewer/ExportBookCommand.h"
#include "viewer/ProgressDlg.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

TEST(ExportBook, CancelOnTheProgressDialogStopsTheExportAndADoneOneOffersTheBrowser)
{
    RecordingPrompter prompter;
    TempDir out;
    std::unique_ptr<CCorvaleDoc> doc = ReadBookFile(CORVALE_SAMPLE_BOOK);
    ASSERT_TRUE(doc);

    QString title;
    QTimer::singleShot(0, [&title] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<CProgressDlg*>(widget)) {
                title = dialog->windowTitle();
                QTest::mouseClick(dialog->m_pCancel, Qt::LeftButton);
            }
    });
    EXPECT_FALSE(ExportBookWithProgress(*doc, out.Path(), prompter, nullptr));
    EXPECT_EQ(title.toStdString(), "Exporting Picture Book...");
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
    EXPECT_TRUE(prompter.m_entries.empty());

    EXPECT_TRUE(ExportBookWithProgress(*doc, out.Path(), prompter, nullptr));
    EXPECT_TRUE(FileExistsAt(out.File("Demo/index.html")));
    ASSERT_EQ(prompter.Texts(), std::vector<std::string>{"The Picture Book was exported to:\n\n" +
                                                         out.File("Demo") +
                                                         "\n\nDo you want to see it in your web browser now?"});
    EXPECT_EQ(prompter.m_entries[0].icon, PromptIcon::Information);
}
