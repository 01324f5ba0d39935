#include "viewer/HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A page's title and index keywords, as its head declares them
// (<title> and <meta name="keywords" content="a; b">).
struct PageHead {
    QString title;
    QStringList keywords;
};

PageHead ReadHead(const QString& url)
{
    QFile file(QUrl(url).path().prepend(QLatin1Char(':')));
    PageHead head;
    if (!file.open(QIODevice::ReadOnly))
        return head;
    QString text = QString::fromUtf8(file.readAll());
    QRegularExpressionMatch title = QRegularExpression(QStringLiteral("<title>(.*?)</title>")).match(text);
    head.title = title.hasMatch() ? title.captured(1).trimmed() : url;
    QRegularExpressionMatch keywords =
        QRegularExpression(QStringLiteral("<meta name=\"keywords\" content=\"([^\"]*)\"")).match(text);
    if (keywords.hasMatch())
        for (const QString& keyword : keywords.captured(1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            head.keywords << keyword.trimmed();
    return head;
}

const int kUrlRole = Qt::UserRole;
const int kKeywordRole = Qt::UserRole + 1;

// The page part of `url`, without an anchor, for comparing pages.
QString PageOf(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveFragment).toString();
}

QToolButton* NavigationButton(QStyle::StandardPixmap icon, const QString& text, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

} // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Corvale Help"));
    setObjectName(QStringLiteral("Corvale Help"));

    m_pContents = new QListWidget(this);
    auto* indexPage = new QWidget(this);
    auto* indexLabel = new QLabel(QStringLiteral("&Type the first letters of a keyword:"), indexPage);
    m_pFilter = new QLineEdit(indexPage);
    m_pFilter->setClearButtonEnabled(true);
    indexLabel->setBuddy(m_pFilter);
    m_pIndex = new QListWidget(indexPage);
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    indexLayout->addWidget(indexLabel);
    indexLayout->addWidget(m_pFilter);
    indexLayout->addWidget(m_pIndex, 1);

    m_pTabs = new QTabWidget(this);
    m_pTabs->addTab(m_pContents, QStringLiteral("&Contents"));
    m_pTabs->addTab(indexPage, QStringLiteral("&Index"));

    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setOpenExternalLinks(true);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_pTabs);
    splitter->addWidget(m_pBrowser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({270, 530});

    QToolButton* back = NavigationButton(QStyle::SP_ArrowBack, QStringLiteral("&Back"), this);
    QToolButton* forward = NavigationButton(QStyle::SP_ArrowForward, QStringLiteral("&Forward"), this);
    QToolButton* home = NavigationButton(QStyle::SP_DirHomeIcon, QStringLiteral("Co&ntents"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(home);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(800, 560);

    BuildContents();
    BuildIndex();

    connect(back, &QToolButton::clicked, m_pBrowser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, m_pBrowser, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, this, [this]() { ShowTopic(HelpTopic::Contents); });
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    connect(m_pBrowser, &QTextBrowser::sourceChanged, this, &CHelpWindow::OnSourceChanged);
    connect(m_pContents, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(kUrlRole).toUrl()); });
    connect(m_pContents, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(kUrlRole).toUrl()); });
    connect(m_pFilter, &QLineEdit::textChanged, this, &CHelpWindow::FilterIndex);
    connect(m_pFilter, &QLineEdit::returnPressed, this, [this]() { OpenIndexEntry(m_pIndex->currentItem()); });
    connect(m_pIndex, &QListWidget::itemActivated, this, &CHelpWindow::OpenIndexEntry);
}

void CHelpWindow::BuildContents()
{
    for (const HelpPageInfo& page : HelpPages()) {
        QString url = HelpPageUrl(page.topic);
        auto* item = new QListWidgetItem(ReadHead(url).title, m_pContents);
        item->setData(kUrlRole, QUrl(url));
    }
}

void CHelpWindow::BuildIndex()
{
    struct Entry {
        QString keyword;
        QString title;
        QString url;
    };
    std::vector<Entry> entries;
    for (const HelpPageInfo& page : HelpPages()) {
        QString url = HelpPageUrl(page.topic);
        PageHead head = ReadHead(url);
        for (const QString& keyword : head.keywords)
            entries.push_back({keyword, head.title, url});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return QString::compare(a.keyword, b.keyword, Qt::CaseInsensitive) < 0;
    });
    for (size_t i = 0; i < entries.size(); ++i) {
        // A keyword found on more than one page names the page it leads to.
        auto same = [&](size_t j) {
            return j < entries.size() && QString::compare(entries[j].keyword, entries[i].keyword, Qt::CaseInsensitive) == 0;
        };
        bool shared = same(i + 1) || (i > 0 && same(i - 1));
        QString text = shared ? QStringLiteral("%1 (%2)").arg(entries[i].keyword, entries[i].title) : entries[i].keyword;
        auto* item = new QListWidgetItem(text, m_pIndex);
        item->setData(kUrlRole, QUrl(entries[i].url));
        item->setData(kKeywordRole, entries[i].keyword);
    }
    if (m_pIndex->count() > 0)
        m_pIndex->setCurrentRow(0);
}

void CHelpWindow::FilterIndex(const QString& text)
{
    QString wanted = text.trimmed();
    QListWidgetItem* first = nullptr;
    for (int i = 0; i < m_pIndex->count(); ++i) {
        QListWidgetItem* item = m_pIndex->item(i);
        // A keyword is found by the start of any of its words.
        QString keyword = item->data(kKeywordRole).toString();
        bool match = keyword.startsWith(wanted, Qt::CaseInsensitive) ||
                     keyword.contains(QLatin1Char(' ') + wanted, Qt::CaseInsensitive);
        item->setHidden(!match);
        if (match && !first)
            first = item;
    }
    m_pIndex->setCurrentItem(first);
}

void CHelpWindow::OpenIndexEntry(QListWidgetItem* item)
{
    if (item && !item->isHidden())
        m_pBrowser->setSource(item->data(kUrlRole).toUrl());
}

void CHelpWindow::OnSourceChanged(const QUrl& url)
{
    // The contents follow the page, whichever way it was reached.
    for (int i = 0; i < m_pContents->count(); ++i)
        if (PageOf(m_pContents->item(i)->data(kUrlRole).toUrl()) == PageOf(url)) {
            QSignalBlocker block(m_pContents);
            m_pContents->setCurrentRow(i);
        }
}

void CHelpWindow::ShowTopic(HelpTopic topic)
{
    ShowPage(QUrl(HelpPageUrl(topic)));
}

void CHelpWindow::ShowPage(const QUrl& url)
{
    if (m_pBrowser->source() != url)
        m_pBrowser->setSource(url);
    m_pTabs->setCurrentIndex(0);
    Present();
}

void CHelpWindow::ShowIndex()
{
    if (m_pBrowser->source().isEmpty())
        m_pBrowser->setSource(QUrl(HelpPageUrl(HelpTopic::Contents)));
    m_pTabs->setCurrentIndex(1);
    Present();
    m_pFilter->setFocus(Qt::OtherFocusReason);
    m_pFilter->selectAll();
}

void CHelpWindow::Present()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}
