#include "viewer/HelpTopics.h"

namespace {

const std::vector<HelpPageInfo> kPages = {
    {HelpTopic::Contents, "index.html"},   {HelpTopic::Opening, "opening.html"},
    {HelpTopic::Importing, "importing.html"}, {HelpTopic::Exporting, "exporting.html"},
    {HelpTopic::Browsing, "browsing.html"},
    {HelpTopic::Photo, "photo.html"},      {HelpTopic::Text, "text.html"},
    {HelpTopic::Playing, "playing.html"},  {HelpTopic::Printing, "printing.html"},
    {HelpTopic::Mail, "mail.html"},        {HelpTopic::Shortcut, "shortcut.html"},
    {HelpTopic::Settings, "settings.html"}, {HelpTopic::Keys, "keys.html"},
};

const struct {
    HelpTopic topic;
    const char* text;
} kWhatsThis[] = {
    {HelpTopic::Browsing,
     "<b>Photo Tree</b><p>The groups, photographs and multimedia items of the open Picture Book. "
     "Select an item to show it; double-click a sound, music or video item to play it; drag an "
     "item to copy it to another program; right-click for more.</p>"},
    {HelpTopic::Photo,
     "<b>Photo window</b><p>The photograph of the selected item, shrunk when the display "
     "settings ask for it. Each button in the lower left corner plays one of the photograph's "
     "multimedia items; point at it to see its caption.</p>"},
    {HelpTopic::Text,
     "<b>Photo Text</b><p>The text that goes with the selected item. It appears only when the item "
     "has a text. Select part of it to copy it or drag it to another program.</p>"},
    {HelpTopic::Playing,
     "<b>Media Player</b><p>Plays the selected sound, music or video item: Play or Pause, Stop, "
     "and the slider to move within it. An item it cannot play is handed to the outside "
     "player.</p>"},
};

} // namespace

const std::vector<HelpPageInfo>& HelpPages()
{
    return kPages;
}

QString HelpPageUrl(HelpTopic topic)
{
    for (const HelpPageInfo& page : kPages)
        if (page.topic == topic)
            return QStringLiteral("qrc:/help/") + QString::fromLatin1(page.file);
    return QStringLiteral("qrc:/help/index.html");
}

QString WhatsThisText(HelpTopic topic)
{
    for (const auto& entry : kWhatsThis)
        if (entry.topic == topic) {
            QString url = HelpPageUrl(topic);
            return QString::fromLatin1(entry.text) + QStringLiteral("<p><a href=\"%1\">More in Help</a></p>").arg(url);
        }
    return QString();
}
