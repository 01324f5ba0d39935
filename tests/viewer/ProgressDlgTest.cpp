#include "support/TestEnvironment.h"
#include "viewer/ProgressDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// A press and release at the middle of `widget`, queued as the window system would.
void PostClick(QWidget* widget)
{
    QPointF at = QRectF(widget->rect()).center();
    QPointF global = widget->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(widget, new QMouseEvent(type, at, global, Qt::LeftButton,
                                                            type == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                             : Qt::NoButton,
                                                            Qt::NoModifier));
}

} // namespace

TEST(ProgressDlg, ShowsItsTextsOnRefreshAndCancelOnlyRaisesTheFlag)
{
    CProgressDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Importing Zip archive..."));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.m_pFilesBar->value(), 0);
    EXPECT_EQ(dialog.m_pBytesBar->maximum(), 100);
    EXPECT_EQ(dialog.m_pFileName->font().weight(), QFont::Bold);
    EXPECT_EQ(dialog.m_pFileName->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    dialog.show();

    dialog.SetMessage("Importing Picture Book...");
    dialog.SetFileName("photos/a.jpg");
    dialog.SetFilesText("1 files (out of 2) imported");
    dialog.SetBytesText("10 bytes imported");
    dialog.SetFilesPercent(50);
    EXPECT_EQ(dialog.m_pMessage->text(), QString());
    EXPECT_EQ(dialog.m_pFilesBar->value(), 50);
    dialog.Refresh();
    EXPECT_EQ(dialog.m_pMessage->text(), QStringLiteral("Importing Picture Book..."));
    EXPECT_EQ(dialog.m_pFileName->text(), QStringLiteral("photos/a.jpg"));
    EXPECT_EQ(dialog.m_pFilesLine->text(), QStringLiteral("1 files (out of 2) imported"));
    EXPECT_EQ(dialog.m_pBytesLine->text(), QStringLiteral("10 bytes imported"));

    EXPECT_FALSE(dialog.IsCancelled());
    dialog.m_pCancel->click();
    EXPECT_TRUE(dialog.IsCancelled());
    EXPECT_TRUE(dialog.isVisible());
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
}

TEST(ProgressDlg, DuringExtractionOnlyItsOwnMouseInputIsHandled)
{
    QWidget other;
    auto* button = new QPushButton(QStringLiteral("Elsewhere"), &other);
    button->resize(80, 30);
    other.show();
    int otherClicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&otherClicks] { ++otherClicks; });

    {
        CProgressDlg dialog;
        dialog.show();
        dialog.SetWaitCursor(true);
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        PostClick(button);
        PostClick(dialog.m_pCancel);
        dialog.ProcessInput();
        EXPECT_TRUE(dialog.IsCancelled());
        EXPECT_EQ(otherClicks, 0);
    }
    // The dialog gives the cursor back when it goes.
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Afterwards the rest of the program hears the user again.
    PostClick(button);
    QApplication::processEvents();
    EXPECT_EQ(otherClicks, 1);
}
