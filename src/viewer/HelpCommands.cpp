#include "viewer/HelpCommands.h"

#include "app/CommandIds.h"
#include "viewer/CorvaleView.h"
#include "viewer/CustomizeSheet.h"
#include "viewer/HelpWindow.h"
#include "viewer/MediaView.h"
#include "viewer/PhotoText.h"
#include "viewer/PhotoTree.h"
#include "viewer/PropertiesDlg.h"

#include <QApplication>
#include <QUrl>
#include <QWhatsThis>
#include <QWhatsThisClickedEvent>

CHelpCommands::CHelpCommands(QWidget* owner) : m_pOwner(owner)
{
    // A link in a What's This text is reported to the widget that showed it.
    qApp->installEventFilter(this);
}

CHelpCommands::~CHelpCommands()
{
    delete m_pWindow;
}

HelpTopic CHelpCommands::TopicOf(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (qobject_cast<const CPhotoTree*>(widget))
            return HelpTopic::Browsing;
        if (qobject_cast<const CPhotoText*>(widget))
            return HelpTopic::Text;
        if (qobject_cast<const CCorvaleView*>(widget))
            return HelpTopic::Photo;
        if (qobject_cast<const CMediaView*>(widget))
            return HelpTopic::Playing;
        if (qobject_cast<const CCustomizeSheet*>(widget))
            return HelpTopic::Settings;
        if (qobject_cast<const CPropertiesDlg*>(widget))
            return HelpTopic::Browsing;
    }
    return HelpTopic::Contents;
}

CHelpWindow* CHelpCommands::EnsureWindow()
{
    if (!m_pWindow)
        m_pWindow = new CHelpWindow(m_pOwner);
    return m_pWindow;
}

bool CHelpCommands::OnCommand(int id)
{
    switch (id) {
    case ID_HELP_FINDER:
        EnsureWindow()->ShowTopic(HelpTopic::Contents);
        return true;
    case ID_HELP_INDEX:
        EnsureWindow()->ShowIndex();
        return true;
    case ID_HELP: {
        HelpTopic topic = TopicOf(QApplication::focusWidget());
        EnsureWindow()->ShowTopic(topic);
        return true;
    }
    case ID_CONTEXT_HELP:
        if (!QWhatsThis::inWhatsThisMode())
            QWhatsThis::enterWhatsThisMode();
        return true;
    default:
        return false;
    }
}

bool CHelpCommands::OnUpdateCommand(int id, CommandState&)
{
    return id == ID_HELP_FINDER || id == ID_HELP_INDEX || id == ID_HELP || id == ID_CONTEXT_HELP;
}

bool CHelpCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WhatsThisClicked) {
        QUrl url(static_cast<QWhatsThisClickedEvent*>(event)->href());
        if (url.scheme() == QLatin1String("qrc") && url.path().startsWith(QLatin1String("/help/"))) {
            // Taken here, the event would keep the text up over the help window.
            QWhatsThis::hideText();
            EnsureWindow()->ShowPage(url);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
