#include "viewer/DisplayCustomizePage.h"

#include "model/CorvaleDoc.h"
#include "model/Router.h"
#include "platform/Settings.h"
#include "platform/SettingsKeys.h"
#include "viewer/CorvaleApp.h"
#include "viewer/CustomizeSheet.h"
#include "viewer/MainFrame.h"
#include "viewer/SplitterStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// The lists hold their entries in index order: the stored settings are indexes.
const char* const kSplitterStyles[] = {"3D Splitters", "Flat Splitters", "Invisible Splitters"};
const char* const kShrinkSizes[] = {"320 x 240", "480 x 360", "640 x 480", "960 x 720"};
const char* const kShrinkFactors[] = {
    "the largest reasonable size", "3/4 of their original size", "2/3 of their original size",
    "1/2 of their original size",  "1/3 of their original size", "1/4 of their original size",
};

template <size_t N>
QComboBox* CreateList(const char* const (&texts)[N], QWidget* parent)
{
    auto* list = new QComboBox(parent);
    for (const char* text : texts)
        list->addItem(QString::fromLatin1(text));
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

} // namespace

CDisplayCustomizePage::CDisplayCustomizePage(CMainFrame* frame, QWidget* parent)
    : QWidget(parent), m_pFrame(frame)
{
    setWindowTitle(QStringLiteral("Display"));
    m_pDescription = CCustomizeSheet::CreateDescription(
        QStringLiteral("Corvale's visual display can have some of it's features customized."), this);
    m_pSplitterStyle = CreateList(kSplitterStyles, this);
    auto* splitterLabel = new QLabel(QStringLiteral("&Splitter Style"), this);
    splitterLabel->setBuddy(m_pSplitterStyle);
    m_pCenterLargePhotos =
        new QCheckBox(QStringLiteral("Automatically s&croll large\nimages to their centers"), this);
    m_pShrinkDescription = CCustomizeSheet::CreateDescription(
        QStringLiteral("Extra-large images can be automatically scaled down to an easier-to-see size."),
        this);
    m_pShrinkLargeImages = new QCheckBox(QStringLiteral("&Automatically shrink images which are"), this);
    m_pShrinkSize = CreateList(kShrinkSizes, this);
    auto* downTo = new QLabel(QStringLiteral("pixels or more down to"), this);
    m_pShrinkFactor = CreateList(kShrinkFactors, this);

    auto* splitterRow = new QHBoxLayout;
    splitterRow->addWidget(splitterLabel);
    splitterRow->addWidget(m_pSplitterStyle);
    splitterRow->addStretch(1);
    auto* shrinkRow = new QHBoxLayout;
    shrinkRow->addWidget(m_pShrinkLargeImages);
    shrinkRow->addWidget(m_pShrinkSize);
    shrinkRow->addStretch(1);
    auto* factorRow = new QHBoxLayout;
    factorRow->addSpacing(20);
    factorRow->addWidget(downTo);
    factorRow->addWidget(m_pShrinkFactor);
    factorRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pDescription);
    layout->addSpacing(6);
    layout->addLayout(splitterRow);
    layout->addWidget(m_pCenterLargePhotos);
    layout->addSpacing(10);
    layout->addWidget(m_pShrinkDescription);
    layout->addLayout(shrinkRow);
    layout->addLayout(factorRow);
    layout->addStretch(1);

    OnInitDialog();

    auto changed = [this]() { SetModified(true); };
    connect(m_pSplitterStyle, &QComboBox::currentIndexChanged, this, changed);
    connect(m_pShrinkSize, &QComboBox::currentIndexChanged, this, changed);
    connect(m_pShrinkFactor, &QComboBox::currentIndexChanged, this, changed);
    connect(m_pCenterLargePhotos, &QCheckBox::toggled, this, changed);
    connect(m_pShrinkLargeImages, &QCheckBox::toggled, this, &CDisplayCustomizePage::OnShrinkClicked);
}

void CDisplayCustomizePage::OnInitDialog()
{
    Settings settings = Settings::Profile();
    m_nStoredSplitterStyle = settings.GetInt(SettingKey::SplitterStyle);
    m_nStoredShrinkSize = settings.GetInt(SettingKey::ImageShrinkSize);
    m_nStoredShrinkFactor = settings.GetInt(SettingKey::ImageShrinkFactor);
    {
        // Loading is not a change by the user.
        const QSignalBlocker b1(m_pSplitterStyle), b2(m_pCenterLargePhotos),
            b3(m_pShrinkLargeImages), b4(m_pShrinkSize), b5(m_pShrinkFactor);
        // An index the list does not offer leaves it without a selection.
        m_pSplitterStyle->setCurrentIndex(m_nStoredSplitterStyle);
        m_pCenterLargePhotos->setChecked(settings.GetInt(SettingKey::CenterLargePhotos) == 1);
        m_pShrinkLargeImages->setChecked(settings.GetInt(SettingKey::ShrinkLargeImages) != 0);
        m_pShrinkSize->setCurrentIndex(m_nStoredShrinkSize);
        m_pShrinkFactor->setCurrentIndex(m_nStoredShrinkFactor);
    }
    EnableShrinkLists();
    SetModified(false);
}

void CDisplayCustomizePage::OnShrinkClicked()
{
    EnableShrinkLists();
    SetModified(true);
}

void CDisplayCustomizePage::EnableShrinkLists()
{
    bool shrink = m_pShrinkLargeImages->isChecked();
    m_pShrinkSize->setEnabled(shrink);
    m_pShrinkFactor->setEnabled(shrink);
}

void CDisplayCustomizePage::SetModified(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    emit ModifiedChanged(modified);
}

int CDisplayCustomizePage::ListValue(const QComboBox* list, int stored) const
{
    return list->currentIndex() >= 0 ? list->currentIndex() : stored;
}

bool CDisplayCustomizePage::OnApply()
{
    int splitterStyle = ListValue(m_pSplitterStyle, m_nStoredSplitterStyle);
    bool center = m_pCenterLargePhotos->isChecked();
    bool shrink = m_pShrinkLargeImages->isChecked();
    int size = ListValue(m_pShrinkSize, m_nStoredShrinkSize);
    int factor = ListValue(m_pShrinkFactor, m_nStoredShrinkFactor);

    if (m_pFrame)
        m_pFrame->App().m_bCenterLargePhotos = center;

    Settings settings = Settings::Profile();
    bool stored = settings.WriteInt(SettingKey::SplitterStyle, splitterStyle);
    stored &= settings.WriteInt(SettingKey::CenterLargePhotos, center ? 1 : 0);
    stored &= settings.WriteInt(SettingKey::ShrinkLargeImages, shrink ? 1 : 0);
    stored &= settings.WriteInt(SettingKey::ImageShrinkSize, size);
    stored &= settings.WriteInt(SettingKey::ImageShrinkFactor, factor);
    m_nStoredSplitterStyle = splitterStyle;
    m_nStoredShrinkSize = size;
    m_nStoredShrinkFactor = factor;

    if (m_pFrame) {
        m_pFrame->SetSplitterCode(CSplitterStyle::CodeFor(splitterStyle));
        // Live before the panes hear of the change: the photo view shrinks again
        // with what the main frame holds.
        m_pFrame->m_bShrinkLargeImages = shrink;
        m_pFrame->m_nImageShrinkSize = size;
        m_pFrame->m_nImageShrinkFactor = factor;
    }
    if (CCorvaleDoc* doc = m_pFrame ? m_pFrame->App().GetDocument() : nullptr)
        doc->Bus().Send(RouterMessage::DisplaySettings(factor, size), nullptr);
    if (m_pFrame)
        m_pFrame->update();
    SetModified(false);
    return stored;
}
