#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "setup/InstallWizardModel.h"
#include "setupui/InstallProgressDialog.h"
#include "setupui/LicenceDialog.h"
#include "setupui/NeedViewerDialog.h"
#include "setupui/SetupApp.h"
#include "setupui/SetupWizard.h"
#include "setupui/WelcomePage.h"
#include "support/TestEnvironment.h"
#include "qtshared/QtPrompter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QStringList Labels(const QWidget& widget)
{
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    return texts;
}

} // namespace

TEST(LicenceDialog, ShowsTheWholeTextWithNoAsTheDefault)
{
    LicenceDialog dialog(QStringLiteral("Line 1\nLine 2"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Software License Agreement"));
    EXPECT_EQ(dialog.m_pText->toPlainText(), QStringLiteral("Line 1\nLine 2"));
    EXPECT_TRUE(dialog.m_pText->isReadOnly());
    EXPECT_TRUE(dialog.m_pNo->isDefault());
    EXPECT_FALSE(dialog.m_pYes->isDefault());
    EXPECT_EQ(dialog.m_pYes->text(), QStringLiteral("&Yes"));
    EXPECT_EQ(Labels(dialog), (QStringList{
                                  "Please read the following license agreement.",
                                  "Press the PAGE DOWN key to see the rest of the agreement.",
                                  "Do you accept all of the terms of the preceding License Agreement?",
                                  "If you choose No, Setup will not continue.  To install this product, "
                                  "you must accept this agreement."}));
    dialog.m_pYes->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(NeedViewerDialog, SaysWhereToGetTheViewer)
{
    NeedViewerDialog dialog;
    EXPECT_EQ(dialog.m_pClose->text(), QStringLiteral("All right, already!  I get the picture..."));
    QStringList labels = Labels(dialog);
    ASSERT_EQ(labels.size(), 4);
    EXPECT_EQ(labels[0], QStringLiteral("You need to install \"Corvale for Windows\" in order to view these photos."));
    EXPECT_EQ(labels[2], QStringLiteral("To get a free copy of Corvale, either check with the sender of these "
                                        "photos, or go to:\n\n\t\t") + QLatin1String(kMakerWebPage));
    dialog.m_pClose->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(InstallProgressDialog, CancelOnlyRaisesTheFlagUntilItIsDisabled)
{
    InstallProgressDialog dialog;
    InstallProgress& progress = dialog;
    progress.Open("Removing Corvale...", "Copying...");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Removing Corvale..."));
    progress.SetRange(3);
    progress.SetPosition(2);
    progress.SetNameLine("beach.jpg");
    EXPECT_EQ(dialog.m_pBar->value(), 2);
    EXPECT_EQ(dialog.m_pNameLine->text(), QStringLiteral("beach.jpg"));
    EXPECT_FALSE(progress.CancelRequested());
    dialog.close(); // the window's close box asks to cancel and the dialog stays
    EXPECT_TRUE(progress.CancelRequested());
    EXPECT_TRUE(dialog.isVisible());
    progress.DisableCancel();
    EXPECT_FALSE(dialog.m_pCancel->isEnabled());
    progress.Close();
    EXPECT_FALSE(dialog.isVisible());

    InstallProgressDialog other;
    other.Open("Installing files...", "Copying...");
    other.m_pCancel->click();
    EXPECT_TRUE(other.CancelRequested());
}

TEST(SetupApp, RunningAsTheUninstallerAsksFirst)
{
    ScopedRegistry registry;
    RecordingPrompter prompter;
    {
        SetupApp app;
        EXPECT_FALSE(app.Start({QStringLiteral("/opt/Corvale/UNINSTALL.EXE")}));
        ASSERT_EQ(prompter.m_entries.size(), 1u);
        EXPECT_EQ(prompter.m_entries[0].text,
                  "Corvale will be completely removed !\n\nIs this REALLY what you want?");
        EXPECT_EQ(prompter.m_entries[0].caption, "Confirm Uninstall");
        EXPECT_EQ(prompter.m_entries[0].icon, PromptIcon::Question);
    }
    prompter.QueueReply(PromptReply::Yes);
    SetupApp app;
    EXPECT_TRUE(app.Start({QStringLiteral("/opt/Corvale/Uninstall.exe")}));
    EXPECT_TRUE(app.m_state.m_bUninstall);
    SetupApp installer;
    EXPECT_TRUE(installer.Start({QStringLiteral("/media/cd/setup")}));
    EXPECT_FALSE(installer.m_state.m_bUninstall);
    EXPECT_EQ(prompter.m_entries.size(), 2u);
}

TEST(SetupApp, ADamagedRegistryStoreIsToldAtStartUp)
{
    ScopedRegistry registry;
    const std::string store = Registry::Default().FileOf(RegistryRoot::LocalMachine);
    ASSERT_TRUE(WriteFileBytes(store, "not a store\n"));
    RecordingPrompter prompter;
    SetupApp app;
    EXPECT_TRUE(app.Start({QStringLiteral("/media/cd/setup")}));
    ASSERT_EQ(prompter.m_entries.size(), 1u);
    EXPECT_EQ(prompter.m_entries[0].text.substr(0, 19 + store.size()), "The settings file\n\n" + store);
    EXPECT_EQ(ReadFileBytes(store), "not a store\n"); // answered No
}

TEST(QtPrompter, ShowsTextPlainlyAndKeepsNoAsTheDefaultWhenAsked)
{
    QtPrompter prompter;
    Qt::TextFormat format = Qt::AutoText;
    bool noIsDefault = false;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        title = box->windowTitle();
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(prompter.Ask("<b>Summer</b> is not a directory !", PromptButtons::YesNoDefaultNo,
                           PromptIcon::Exclamation, "Insufficient space"),
              PromptReply::Yes);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_TRUE(noIsDefault);
    EXPECT_EQ(title, QStringLiteral("Insufficient space"));
}

TEST(SetupApp, TheWizardIsCentredOnTheScreenAndItsDialogsOnTheWizard)
{
    ScopedRegistry registry;
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("license.txt"), "Terms"));
    QtPrompter prompter;
    SetupApp app;
    app.SetPrompter(&prompter);
    SetupState state;
    Registry store = Registry::Default();
    InstallWizardModel model(state, store);

    QPoint wizardCentre, screenCentre, movedCentre, boxCentre, licenceCentre;
    // The dialog that is up, once it is shown: its centre, then it is closed.
    auto inspect = [](QPoint& centre, auto close) {
        QTimer::singleShot(0, [&centre, close] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            centre = dialog->frameGeometry().center();
            close(dialog);
        });
    };
    QTimer::singleShot(0, [&] {
        auto* wizard = qobject_cast<SetupWizard*>(QApplication::activeModalWidget());
        ASSERT_NE(wizard, nullptr);
        wizardCentre = wizard->frameGeometry().center();
        screenCentre = wizard->screen()->availableGeometry().center();
        wizard->move(20, 10);
        movedCentre = wizard->frameGeometry().center();
        inspect(boxCentre, [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
        Prompter::Current().Ask("No such directory exists.  Create it?", PromptButtons::YesNo,
                                PromptIcon::Question, "No directory");
        inspect(licenceCentre, [](QWidget* licence) { static_cast<QDialog*>(licence)->reject(); });
        wizard->AskLicence();
        wizard->reject();
    });
    EXPECT_FALSE(app.RunWizard(model, dir.Path() + "/"));
    auto near = [](QPoint a, QPoint b) { return (a - b).manhattanLength() <= 2; };
    EXPECT_TRUE(near(wizardCentre, screenCentre)) << wizardCentre.x() << "," << wizardCentre.y();
    EXPECT_TRUE(near(boxCentre, movedCentre)) << boxCentre.x() << "," << boxCentre.y();
    EXPECT_TRUE(near(licenceCentre, movedCentre)) << licenceCentre.x() << "," << licenceCentre.y();
}

TEST(SetupWizard, WhereItsFontIsMissingThePagesUseTheSansSerifFace)
{
    SetupState state;
    Registry store = Registry::Default();
    InstallWizardModel model(state, store);
    SetupWizard wizard(model, "/");
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(QStringLiteral("Comic Sans MS")) || installed.contains(QStringLiteral("Comic Neue")))
        GTEST_SKIP() << "the wizard's own face is installed";
    // Not whatever the font system likens the name to (a calligraphic face).
    QFont sans(QStringLiteral("No Such Face"));
    sans.setStyleHint(QFont::SansSerif);
    EXPECT_EQ(QFontInfo(wizard.m_pWelcome->font()).family(), QFontInfo(sans).family());
    EXPECT_EQ(wizard.m_pWelcome->font().pointSize(), 9);
}
