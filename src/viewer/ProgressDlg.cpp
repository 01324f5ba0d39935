#include "viewer/ProgressDlg.h"

#include "platform/MessageTable.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QWindow>

namespace {

// The dialog is laid out in dialog units of its font, as its template was.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font)
    {
        QFontMetrics metrics(font);
        int width = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        m_nBaseX = std::max(1, (width / 26 + 1) / 2);
        m_nBaseY = std::max(1, metrics.height());
    }
    QRect Rect(int x, int y, int cx, int cy) const { return {X(x), Y(y), X(cx), Y(cy)}; }
    int X(int units) const { return units * m_nBaseX / 4; }
    int Y(int units) const { return units * m_nBaseY / 8; }

private:
    int m_nBaseX;
    int m_nBaseY;
};

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

bool IsMouse(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
}

} // namespace

CProgressDlg::CProgressDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint)
{
    setModal(false);
    setWindowTitle(QString::fromUtf8(MessageText(MessageId::ZipProgressTitle)));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    DialogUnits du(font());
    setFixedSize(du.X(257), du.Y(82));

    m_pPicture = new QLabel(this);
    m_pPicture->setGeometry(du.Rect(10, 7, 23, 21));
    m_pPicture->setPixmap(style()->standardIcon(QStyle::SP_ArrowDown).pixmap(du.X(23), du.Y(21)));
    m_pPicture->setAlignment(Qt::AlignCenter);

    m_pMessage = new QLabel(this);
    m_pMessage->setGeometry(du.Rect(37, 8, 156, 8));

    // Bold in the system's own proportional font, dark blue on the dialog's background.
    m_pFileName = new QLabel(this);
    m_pFileName->setGeometry(du.Rect(37, 18, 156, 8));
    QFont bold = QApplication::font();
    bold.setWeight(QFont::Bold);
    m_pFileName->setFont(bold);
    QPalette palette = m_pFileName->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_pFileName->setPalette(palette);
    m_pFileName->setAutoFillBackground(false);

    m_pFilesLine = new QLabel(this);
    m_pFilesLine->setGeometry(du.Rect(18, 32, 222, 8));
    m_pFilesBar = new QProgressBar(this);
    m_pFilesBar->setGeometry(du.Rect(18, 41, 222, 8));
    m_pBytesLine = new QLabel(this);
    m_pBytesLine->setGeometry(du.Rect(18, 52, 222, 8));
    m_pBytesBar = new QProgressBar(this);
    m_pBytesBar->setGeometry(du.Rect(18, 61, 222, 8));
    for (QProgressBar* bar : {m_pFilesBar, m_pBytesBar}) {
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
    }

    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setGeometry(du.Rect(200, 9, 50, 14));
    m_pCancel->setAutoDefault(false);
    connect(m_pCancel, &QPushButton::clicked, this, [this] { m_bCancel = true; });

    QRect area = parent ? parent->window()->geometry()
                        : (screen() ? screen()->availableGeometry() : QRect());
    if (area.isValid())
        move(area.center() - rect().center());
}

CProgressDlg::~CProgressDlg()
{
    SetWaitCursor(false);
}

void CProgressDlg::SetMessage(const std::string& text)
{
    m_strMessage = QString::fromStdString(text);
}

void CProgressDlg::SetFileName(const std::string& text)
{
    m_strFileName = QString::fromStdString(text);
}

void CProgressDlg::SetFilesText(const std::string& text)
{
    m_strFilesLine = QString::fromStdString(text);
}

void CProgressDlg::SetBytesText(const std::string& text)
{
    m_strBytesLine = QString::fromStdString(text);
}

void CProgressDlg::SetFilesPercent(int percent)
{
    m_pFilesBar->setValue(percent);
}

void CProgressDlg::SetBytesPercent(int percent)
{
    m_pBytesBar->setValue(percent);
}

void CProgressDlg::Refresh()
{
    m_pMessage->setText(m_strMessage);
    m_pFileName->setText(m_strFileName);
    m_pFilesLine->setText(m_strFilesLine);
    m_pBytesLine->setText(m_strBytesLine);
    repaint();
    // Lets the window system show and paint it; user input waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}

void CProgressDlg::ProcessInput()
{
    // While the import runs nothing else may start: input reaches this
    // dialog's mouse handling only, and no other request is taken in.
    qApp->installEventFilter(this);
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    qApp->removeEventFilter(this);
}

bool CProgressDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsUserInput(event->type()))
        return false;
    return !(IsMouse(event->type()) && IsOwnWidget(watched));
}

bool CProgressDlg::IsOwnWidget(QObject* object) const
{
    if (object == windowHandle())
        return true;
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && (widget == this || isAncestorOf(widget));
}

void CProgressDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void CProgressDlg::SetWaitCursor(bool on)
{
    if (on == m_bWaitCursor)
        return;
    m_bWaitCursor = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CProgressDlg::Linger(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}
