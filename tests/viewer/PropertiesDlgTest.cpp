#include "model/CorvaleDoc.h"
#include "support/TestEnvironment.h"
#include "viewer/PropertiesDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <gtest/gtest.h>

namespace {

// Kind, file name, label of the format field, format, byte count, sizes line.
QStringList Fields(const CCorvaleDoc& doc, const CBaseNode* node)
{
    CPropertiesDlg dialog(doc, node);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Properties"));
    for (QLineEdit* edit :
         {dialog.m_pKind, dialog.m_pFileName, dialog.m_pFormat, dialog.m_pFileSize, dialog.m_pSizes})
        EXPECT_TRUE(edit->isReadOnly());
    return {dialog.m_pKind->text(),   dialog.m_pFileName->text(), dialog.m_pFormatLabel->text(),
            dialog.m_pFormat->text(), dialog.m_pFileSize->text(), dialog.m_pSizes->text()};
}

} // namespace

TEST(PropertiesDlg, ShowsTheFieldsOfEachKindOfNode)
{
    TempDir dir;
    CCorvaleDoc doc;
    std::string path = dir.File("Trip.pbk");
    ASSERT_TRUE(WriteFileBytes(path, std::string(1234, 'x')));
    doc.SetPathName(path, false);
    doc.m_strBookFolder = dir.Path();

    EXPECT_EQ(Fields(doc, &doc.m_root),
              (QStringList{"Overall Picture Book", "Trip.pbk", "Internal Data Format", "", "1234", ""}));
    doc.m_strOwnerName = "Ren\xE9"; // the book's code page, shown converted
    doc.m_strOwnerEmail = "rene@example.org";
    EXPECT_EQ(Fields(doc, &doc.m_root),
              (QStringList{"Overall Picture Book", "Trip.pbk", "Sent by",
                           QString::fromUtf8("Ren\xC3\xA9 (rene@example.org)"), "1234", ""}));

    CPhotoNode* group = doc.m_root.AddPhoto(std::make_unique<CPhotoNode>());
    group->m_bGroup = true;
    EXPECT_EQ(Fields(doc, group),
              (QStringList{"Picture Book Sub-group", "", "Internal Data Format", "Unknown data format", "0",
                           "Actual size: 0x0  Displayed size: 0x0"}));

    CMediaNode* media = group->AddMedia(std::make_unique<CMediaNode>());
    media->SetFileName("waves.wav"); // not on disk
    EXPECT_EQ(Fields(doc, media),
              (QStringList{"Multimedia Item", "waves.wav", "Internal Data Format", "WAV Sound Clip", "0",
                           ""}));

    // No current node: everything empty, the byte count its initial 0.
    EXPECT_EQ(Fields(doc, nullptr), (QStringList{"", "", "", "", "0", ""}));
}

TEST(PropertiesDlg, LongTextsAreShownWhole)
{
    CCorvaleDoc doc;
    CPhotoNode* photo = doc.m_root.AddPhoto(std::make_unique<CPhotoNode>());
    std::string name = "C:\\" + std::string(300, 'p') + ".gif";
    photo->SetFileName(name);
    // The field limits only hold back typing, never the value shown.
    EXPECT_EQ(Fields(doc, photo)[1], QString::fromStdString(name));
}

namespace {

// The text of `edit` fits between its frame and inner margins as QLineEdit paints them.
bool ShowsWholeText(const QLineEdit* edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    QRect area = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    area = area.marginsRemoved(edit->textMargins());
    const int innerMargin = 2;
    return edit->fontMetrics().horizontalAdvance(edit->text()) <= area.width() - 2 * innerMargin;
}

} // namespace

TEST(PropertiesDlg, EveryFieldShowsItsWholeTextAtTheDefaultFont)
{
    CCorvaleDoc doc;
    doc.m_strOwnerName = "Corvale Samples";
    doc.m_strOwnerEmail = "samples@example.org";
    CPhotoNode* photo = doc.m_root.AddPhoto(std::make_unique<CPhotoNode>());
    photo->SetFileName("C:\\My Photos\\Summer holidays\\The harbour at sunset.jpg");
    photo->m_sizePicture = CSize{1024, 768};
    photo->m_sizeDisplay = CSize{1024, 768};
    for (const CBaseNode* node : {static_cast<const CBaseNode*>(&doc.m_root), static_cast<const CBaseNode*>(photo)}) {
        CPropertiesDlg dialog(doc, node);
        dialog.show();
        for (const QLineEdit* edit :
             {dialog.m_pKind, dialog.m_pFileName, dialog.m_pFormat, dialog.m_pFileSize, dialog.m_pSizes})
            EXPECT_TRUE(ShowsWholeText(edit)) << edit->text().toStdString() << " in " << edit->width();
    }
}
