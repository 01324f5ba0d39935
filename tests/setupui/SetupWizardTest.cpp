#include "platform/EditionRecord.h"
#include "platform/Prompter.h"
#include "setup/SetupStart.h"
#include "setupui/CustomPage.h"
#include "setupui/SetupWizard.h"
#include "setupui/TypePage.h"
#include "setupui/WelcomePage.h"
#include "setupui/WherePage.h"
#include "setupui/WhoPage.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The wizard with its two dialogs answered by the test.
class TestWizard : public SetupWizard {
public:
    using SetupWizard::SetupWizard;
    bool AskLicence() override
    {
        ++m_nLicences;
        return m_bAcceptLicence;
    }
    void ShowViewerNotice() override { ++m_nNotices; }

    bool m_bAcceptLicence = true;
    int m_nLicences = 0;
    int m_nNotices = 0;
};

class Wizard : public ::testing::Test {
protected:
    // The package brings the viewer or not; `viewerAt` names a folder with
    // the free viewer, registered as the installation folder.
    void Start(bool included, const std::string& viewerAt = std::string())
    {
        m_state.m_package.viewerIncluded = included;
        m_state.m_package.description = "Summer";
        m_state.m_package.owner = "Ann";
        m_state.m_package.spaceViewer = 1500000;
        if (!viewerAt.empty()) {
            std::filesystem::create_directories(viewerAt);
            ASSERT_TRUE(WriteFileBytes(viewerAt + "/Corvale.exe", "viewer"));
            m_state.m_strInstallFolder = viewerAt;
        }
        DetectEditions(m_state);
        m_pModel = std::make_unique<InstallWizardModel>(m_state, m_registry);
        m_pModel->SetFreeSpaceProbe([](const std::string&, uint64_t&) { return false; });
        m_pWizard = std::make_unique<TestWizard>(*m_pModel, m_dir.Path() + "/");
        m_pWizard->show();
    }
    TestWizard& W() { return *m_pWizard; }
    bool NextEnabled() { return W().button(QWizard::NextButton)->isEnabled(); }
    // Presses Next (Finish on the last page) and gives the page now shown.
    int Next()
    {
        W().button(W().currentId() == SetupWizard::Ready ? QWizard::FinishButton : QWizard::NextButton)
            ->click();
        return W().currentId();
    }
    int Back()
    {
        W().button(QWizard::BackButton)->click();
        return W().currentId();
    }
    void ToCustomPage(bool custom)
    {
        ASSERT_EQ(Next(), SetupWizard::Who);
        W().m_pWho->m_pName->setText(QStringLiteral("Ann"));
        ASSERT_EQ(Next(), SetupWizard::Type);
        if (custom)
            W().m_pType->m_pCustom->click();
        ASSERT_EQ(Next(), SetupWizard::Custom);
    }

    TempDir m_dir;
    ScopedRegistry m_scoped;
    Registry m_registry = Registry::Default();
    RecordingPrompter m_prompter;
    SetupState m_state;
    std::unique_ptr<InstallWizardModel> m_pModel;
    std::unique_ptr<TestWizard> m_pWizard;
};

} // namespace

TEST_F(Wizard, SixPagesInOrderUnderTheWizardsTitle)
{
    Start(true);
    EXPECT_EQ(W().windowTitle(), QStringLiteral("Corvale for Windows Installation"));
    EXPECT_EQ(W().pageIds(), (QList<int>{0, 1, 2, 3, 4, 5}));
    QStringList titles;
    for (int id : W().pageIds())
        titles << W().page(id)->title();
    EXPECT_EQ(titles, (QStringList{"Welcome to the Corvale for Windows Setup", "Who Are You?",
                                   "Installation Type", "Custom Installation Options",
                                   "Where to install?", "Ready to Install"}));
    EXPECT_EQ(W().m_pWelcome->m_pPackageText->text().toStdString(), m_pModel->PackageText());
    EXPECT_FALSE(W().button(QWizard::BackButton)->isVisible());
    EXPECT_TRUE(NextEnabled());
}

TEST_F(Wizard, APackageNameWithoutBlanksStillFitsTheScreen)
{
    Start(true);
    m_state.m_package.description = std::string(250, 'W');
    W().m_pWelcome->Shown(true);
    EXPECT_LT(W().sizeHint().width(), 1000);
    EXPECT_TRUE(W().m_pWelcome->m_pPackageText->text().remove(QChar(0x200B)).contains(QString(250, 'W')));
}

TEST_F(Wizard, WithoutTheViewerAnywhereTheNoticeShowsAndOnlyTheBookCanBeChosen)
{
    Start(false);
    ToCustomPage(false);
    EXPECT_EQ(W().m_nLicences, 0);
    EXPECT_EQ(W().m_nNotices, 1);
    CustomPage& page = *W().m_pCustom;
    EXPECT_FALSE(page.m_pViewer->isEnabled());
    EXPECT_FALSE(page.m_pHelp->isEnabled());
    EXPECT_TRUE(page.m_pBook->isEnabled());
    EXPECT_TRUE(page.m_pBook->isChecked());
    EXPECT_TRUE(page.m_pNote->text().startsWith(QStringLiteral("You do not have Corvale installed")));
    // Clearing the only box leaves only Back.
    page.m_pBook->click();
    EXPECT_FALSE(m_state.m_bBookOption);
    EXPECT_FALSE(NextEnabled());
    page.m_pBook->click();
    EXPECT_TRUE(NextEnabled());
}

TEST_F(Wizard, AnInstalledFreeViewerIsOfferedForReinstallAndItsFolderForTheFiles)
{
    const std::string folder = m_dir.File("Corvale");
    Start(true, folder);
    ToCustomPage(false);
    EXPECT_EQ(W().m_nLicences, 0);
    EXPECT_EQ(W().m_nNotices, 0);
    CustomPage& page = *W().m_pCustom;
    EXPECT_FALSE(page.m_pViewer->isChecked());
    EXPECT_FALSE(page.m_pHelp->isChecked());
    EXPECT_TRUE(page.m_pBook->isChecked());
    EXPECT_TRUE(page.m_pViewer->isEnabled());
    EXPECT_TRUE(page.m_pNote->text().startsWith(
        QStringLiteral("Corvale is included in this installation, but you already have it")));
    ASSERT_EQ(Next(), SetupWizard::Where);
    EXPECT_EQ(W().m_pWhere->m_pInstruction->text(),
              QStringLiteral("Corvale was found in this path.  Your files will be installed below this "
                             "path unless you enter a different path."));
    EXPECT_EQ(W().m_pWhere->m_pPath->text().toStdString(), folder);
}

TEST_F(Wizard, CustomChosenAgainOverridesTheFirstAdjustment)
{
    Start(true);
    ToCustomPage(true);
    EXPECT_EQ(W().m_nLicences, 1);
    CustomPage& page = *W().m_pCustom;
    EXPECT_TRUE(page.m_pViewer->isChecked());
    EXPECT_FALSE(page.m_pBook->isChecked());
    EXPECT_FALSE(page.m_pHelp->isChecked());
    EXPECT_TRUE(page.m_pNote->text().contains(QStringLiteral("SUGGESTION")));

    ASSERT_EQ(Back(), SetupWizard::Type);
    EXPECT_TRUE(W().m_pType->m_pCustom->isChecked());
    W().m_pType->m_pCustom->click();
    ASSERT_EQ(Next(), SetupWizard::Custom);
    EXPECT_FALSE(page.m_pViewer->isChecked());
    EXPECT_FALSE(page.m_pBook->isChecked());
    EXPECT_FALSE(page.m_pHelp->isChecked());
    EXPECT_FALSE(NextEnabled());
    EXPECT_TRUE(W().button(QWizard::BackButton)->isEnabled());
    // The licence was asked once only.
    ASSERT_EQ(Back(), SetupWizard::Type);
    ASSERT_EQ(Back(), SetupWizard::Who);
    ASSERT_EQ(Back(), SetupWizard::Welcome);
    ASSERT_EQ(Next(), SetupWizard::Who);
    EXPECT_EQ(W().m_nLicences, 1);
}

TEST_F(Wizard, TheNameIsRequiredAndEarlierAnswersAreOffered)
{
    m_state.m_strUserName = "Ann";
    m_state.m_strEmailAddress = "ann@example.org";
    Start(false);
    ASSERT_EQ(Next(), SetupWizard::Who);
    WhoPage& who = *W().m_pWho;
    EXPECT_EQ(who.m_pName->text(), QStringLiteral("Ann"));
    EXPECT_EQ(who.m_pEmail->text(), QStringLiteral("ann@example.org"));
    EXPECT_TRUE(NextEnabled());
    who.m_pName->clear();
    EXPECT_FALSE(NextEnabled());
    QTest::keyClicks(who.m_pName, QStringLiteral("Bo"));
    who.m_pCompany->setText(QStringLiteral("Quillfen"));
    EXPECT_TRUE(NextEnabled());
    ASSERT_EQ(Next(), SetupWizard::Type);
    EXPECT_EQ(m_state.m_strUserName, "Bo");
    EXPECT_EQ(m_state.m_strCompanyName, "Quillfen");
}

TEST_F(Wizard, TheFolderIsCheckedAndStoredWithoutTrailingSeparators)
{
    Start(true);
    ToCustomPage(false);
    ASSERT_EQ(Next(), SetupWizard::Where);
    WherePage& where = *W().m_pWhere;
    EXPECT_EQ(where.m_pViewerSize->text(), QStringLiteral(" 1.50 Meg"));
    EXPECT_EQ(where.m_pPhotosSize->text(), QStringLiteral(" 0.00 Meg"));
    EXPECT_EQ(where.m_pTotalSize->text(), QStringLiteral(" 1.50 Meg"));

    where.m_pPath->clear();
    EXPECT_FALSE(NextEnabled());
    const std::string file = m_dir.File("file");
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    where.m_pPath->setText(QString::fromStdString(file));
    ASSERT_EQ(Next(), SetupWizard::Where);
    EXPECT_EQ(m_prompter.Texts(), std::vector<std::string>{"What you selected is NOT a directory!"});

    where.m_pPath->setText(QString::fromStdString(m_dir.Path() + "\\\\"));
    ASSERT_EQ(Next(), SetupWizard::Ready);
    EXPECT_EQ(m_state.m_strInstallFolder, m_dir.Path());
    EXPECT_EQ(W().button(QWizard::FinishButton)->isEnabled(), true);
    Next();
    EXPECT_EQ(W().result(), QDialog::Accepted);
}

TEST_F(Wizard, RefusingTheLicenceEndsTheWizard)
{
    Start(true);
    W().m_bAcceptLicence = false;
    Next();
    EXPECT_EQ(W().m_nLicences, 1);
    EXPECT_FALSE(W().isVisible());
    EXPECT_EQ(W().result(), QDialog::Rejected);
    EXPECT_FALSE(m_state.m_bLicenceAccepted);
}
