#include "viewer/AboutDlg.h"
#include "qtshared/AppIcon.h"

#include <QLabel>
#include <gtest/gtest.h>

// The icon's drawings are compiled into a static library's resources, which
// only reach a program whose link keeps them: the viewer's libraries must.
TEST(AboutDlg, ShowsTheProgramsOwnIcon)
{
    QList<QSize> sizes = CorvaleIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(256, 256)));

    CAboutDlg about{QString()};
    EXPECT_EQ(about.m_pIcon->pixmap().size(), QSize(64, 64));
    EXPECT_TRUE(about.m_pVersion->text().isEmpty());
}
