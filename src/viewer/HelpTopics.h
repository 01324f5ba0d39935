#pragma once
// The viewer's help as data: its pages in the order of the contents, and the
// What's This text of each pane, which links to the page that says more.

#include <QString>

#include <vector>

enum class HelpTopic {
    Contents,
    Opening,
    Importing,
    Exporting,
    Browsing,
    Photo,
    Text,
    Playing,
    Printing,
    Mail,
    Shortcut,
    Settings,
    Keys,
};

struct HelpPageInfo {
    HelpTopic topic;
    const char* file; // in the help resources, e.g. "browsing.html"
};

// Every page, the contents page first; the contents list them in this order.
const std::vector<HelpPageInfo>& HelpPages();
// The resource URL of the page of `topic`, e.g. "qrc:/help/browsing.html".
QString HelpPageUrl(HelpTopic topic);
// The What's This text of the pane or control that `topic` belongs to (rich
// text with a link to its page); empty when it has none.
QString WhatsThisText(HelpTopic topic);
