#include "exchange/ExportPages.h"

#include "exchange/WebText.h"
#include "platform/MessageTable.h"

namespace {

const char kStyle[] =
    "body{font-family:sans-serif;margin:2em;background:#f6f6f4;color:#222;overflow-wrap:anywhere}"
    "h1{margin-bottom:.2em}.sender{color:#555;margin-top:0}"
    ".group{margin:1.5em 0 1.5em .5em;padding-left:1em;border-left:3px solid #ccd}"
    ".photos{display:flex;flex-wrap:wrap;gap:1em;align-items:flex-start}"
    ".photo{width:260px;background:#fff;padding:10px;box-shadow:0 1px 3px rgba(0,0,0,.25)}"
    ".photo img{display:block;margin:0 auto;max-width:240px;height:auto}"
    ".caption{font-weight:bold;margin:.5em 0 .2em}.text{white-space:pre-wrap;margin:.3em 0}"
    ".missing{color:#a00}.format,.original{color:#666;font-size:90%}"
    ".media{padding-left:1.2em;margin:.3em 0}";

std::string Link(const std::string& path, const std::string& inner)
{
    return "<a href=\"" + UrlEncoded(path) + "\">" + inner + "</a>";
}

std::string Paragraph(const char* cls, const std::string& text)
{
    if (text.empty())
        return std::string();
    return std::string("<p class=\"") + cls + "\">" + HtmlEscaped(text) + "</p>\n";
}

std::string BaseName(const std::string& name)
{
    size_t cut = name.find_last_of("/\\");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

class PageWriter {
public:
    explicit PageWriter(const ExportedBook& book) : m_book(book) {}

    std::string Page(const ExportedNode& group)
    {
        m_html.clear();
        bool root = &group == &m_book.root;
        std::string title = m_book.title;
        if (!root && !group.caption.empty())
            title += title.empty() ? group.caption : " - " + group.caption;
        m_html += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                  "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                  HtmlEscaped(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
        if (!root)
            m_html += "<p class=\"contents\">" +
                      Link(m_book.root.page, HtmlEscaped(MessageText(MessageId::ExportContents))) + "</p>\n";
        m_html += "<h1>" + HtmlEscaped(m_book.title) + "</h1>\n";
        if (root)
            Sender();
        Contents(group, root ? 1 : 2, true);
        m_html += "</body>\n</html>\n";
        return m_html;
    }

private:
    void Sender()
    {
        if (m_book.ownerName.empty() && m_book.ownerEmail.empty())
            return;
        std::string who = HtmlEscaped(m_book.ownerName);
        if (!m_book.ownerEmail.empty()) {
            std::string mail = "<a href=\"mailto:" + UrlEncoded(m_book.ownerEmail, "@") + "\">" +
                               HtmlEscaped(m_book.ownerEmail) + "</a>";
            who += who.empty() ? mail : " &lt;" + mail + "&gt;";
        }
        m_html += "<p class=\"sender\">" + FormatMessageText(MessageId::ExportSentBy, {who}) + "</p>\n";
    }

    // A group's own picture, text, media and children; `own` is the page's
    // own group, whose caption the heading shows.
    void Contents(const ExportedNode& group, int level, bool own)
    {
        std::string h = std::to_string(level < 6 ? level : 6);
        if (!group.caption.empty() && (!own || &group != &m_book.root))
            m_html += "<h" + h + ">" + HtmlEscaped(group.caption) + "</h" + h + ">\n";
        if (group.file != ExportedFile::None) {
            m_html += "<div class=\"photos\">\n";
            Card(group, false);
            m_html += "</div>\n";
        }
        m_html += Paragraph("text", group.text);
        MediaList(group);
        Children(group, level);
    }

    void Children(const ExportedNode& node, int level)
    {
        bool open = false;
        for (const auto& child : node.photos) {
            if (child->IsGroup()) {
                if (open)
                    m_html += "</div>\n";
                open = false;
                SubGroup(*child, level + 1);
            } else {
                if (!open)
                    m_html += "<div class=\"photos\">\n";
                open = true;
                Card(*child, true);
            }
        }
        if (open)
            m_html += "</div>\n";
    }

    void SubGroup(const ExportedNode& group, int level)
    {
        if (!group.page.empty()) {
            std::string caption = group.caption.empty() ? group.folder : group.caption;
            m_html += "<p class=\"grouplink\">" + Link(group.page, HtmlEscaped(caption)) + "</p>\n";
            return;
        }
        m_html += "<div class=\"group\">\n";
        Contents(group, level, false);
        m_html += "</div>\n";
    }

    // A photograph: its thumbnail linked to the full picture, caption, text,
    // media and whatever it holds itself.
    void Card(const ExportedNode& photo, bool withTexts)
    {
        m_html += "<div class=\"photo\">\n";
        if (photo.file == ExportedFile::Copied) {
            std::string inner;
            if (!photo.thumbnail.empty())
                inner = "<img src=\"" + UrlEncoded(photo.thumbnail) + "\" width=\"" +
                        std::to_string(photo.thumbnailWidth) + "\" height=\"" +
                        std::to_string(photo.thumbnailHeight) + "\" alt=\"" +
                        HtmlEscaped(photo.caption.empty() ? BaseName(photo.path) : photo.caption) +
                        "\" loading=\"lazy\">";
            else
                inner = HtmlEscaped(BaseName(photo.path));
            m_html += "<p>" + Link(photo.LinkTarget(), inner) + "</p>\n";
        } else if (photo.file != ExportedFile::None) {
            m_html += Paragraph("missing", ExportProblemText(photo));
        }
        if (withTexts) {
            m_html += Paragraph("caption", photo.caption);
            m_html += Paragraph("text", photo.text);
        }
        if (!photo.shownAs.empty())
            m_html += "<p class=\"original\">" +
                      Link(photo.path, HtmlEscaped(FormatMessageText(MessageId::ExportOriginal, {photo.format}))) +
                      "</p>\n";
        if (withTexts)
            MediaList(photo);
        m_html += "</div>\n";
        if (withTexts && !photo.photos.empty()) {
            m_html += "</div>\n";
            Children(photo, 3);
            m_html += "<div class=\"photos\">\n";
        }
    }

    void MediaList(const ExportedNode& node)
    {
        if (node.media.empty())
            return;
        m_html += "<ul class=\"media\">\n";
        for (const auto& item : node.media) {
            std::string caption = item->caption.empty() ? BaseName(item->storedName) : item->caption;
            m_html += "<li>";
            if (item->file == ExportedFile::Copied)
                m_html += Link(item->path, HtmlEscaped(caption)) + " <span class=\"format\">" +
                          HtmlEscaped(item->format) + "</span>";
            else
                m_html += HtmlEscaped(caption) + " <span class=\"missing\">" +
                          HtmlEscaped(ExportProblemText(*item)) + "</span>";
            if (!item->text.empty())
                m_html += "<br><span class=\"text\">" + HtmlEscaped(item->text) + "</span>";
            m_html += "</li>\n";
        }
        m_html += "</ul>\n";
    }

    const ExportedBook& m_book;
    std::string m_html;
};

void CollectPages(const ExportedNode& node, std::vector<const ExportedNode*>& pages)
{
    for (const auto& child : node.photos) {
        if (child->IsGroup() && !child->page.empty())
            pages.push_back(child.get());
        CollectPages(*child, pages);
    }
}

void AppendField(std::string& out, const char* key, const std::string& value)
{
    out += ",\"";
    out += key;
    out += "\":";
    out += JsonQuoted(value);
}

void AppendNodeJson(std::string& out, const ExportedNode& node)
{
    static const char* const kKinds[] = {"group", "photo", "media"};
    static const char* const kStates[] = {"", "copied", "missing", "outside", "unreadable"};
    out += "{\"kind\":\"";
    out += kKinds[static_cast<int>(node.kind)];
    out += '"';
    AppendField(out, "caption", node.caption);
    AppendField(out, "text", node.text);
    if (node.IsGroup())
        AppendField(out, "folder", node.folder);
    if (!node.page.empty())
        AppendField(out, "page", node.page);
    if (node.file != ExportedFile::None) {
        AppendField(out, "storedName", node.storedName);
        AppendField(out, "format", node.format);
        AppendField(out, "status", kStates[static_cast<int>(node.file)]);
        out += ",\"file\":";
        out += node.file == ExportedFile::Copied ? JsonQuoted(node.path) : std::string("null");
        if (!node.shownAs.empty())
            AppendField(out, "shownAs", node.shownAs);
        if (!node.thumbnail.empty())
            AppendField(out, "thumbnail", node.thumbnail);
    }
    if (node.kind == ExportedNode::Kind::Media) {
        AppendField(out, "mediaType", node.mediaType);
        out += '}';
        return;
    }
    out += ",\"media\":[";
    for (size_t i = 0; i < node.media.size(); ++i) {
        if (i)
            out += ',';
        AppendNodeJson(out, *node.media[i]);
    }
    out += "],\"photos\":[";
    for (size_t i = 0; i < node.photos.size(); ++i) {
        if (i)
            out += ",\n";
        AppendNodeJson(out, *node.photos[i]);
    }
    out += "]}";
}

} // namespace

std::vector<ExportPage> RenderExportPages(const ExportedBook& book)
{
    // The root has the first page whatever its kind: a damaged book may
    // hold a photograph there.
    std::vector<const ExportedNode*> groups{&book.root};
    CollectPages(book.root, groups);
    PageWriter writer(book);
    std::vector<ExportPage> pages;
    for (const ExportedNode* group : groups)
        pages.push_back({group->page, writer.Page(*group)});
    return pages;
}

std::string RenderExportJson(const ExportedBook& book)
{
    std::string out = "{\"title\":" + JsonQuoted(book.title) + ",\"sender\":{\"name\":" +
                      JsonQuoted(book.ownerName) + ",\"email\":" + JsonQuoted(book.ownerEmail) +
                      "},\n\"root\":";
    AppendNodeJson(out, book.root);
    out += "}\n";
    return out;
}

std::string ExportProblemText(const ExportedNode& node)
{
    switch (node.file) {
    case ExportedFile::Missing:
        return FormatMessageText(MessageId::ExportFileMissing, {node.storedName});
    case ExportedFile::Outside:
        return FormatMessageText(MessageId::ExportFileOutside, {node.storedName});
    case ExportedFile::Unreadable:
        return FormatMessageText(MessageId::ExportFileUnreadable, {node.storedName});
    default:
        return std::string();
    }
}
