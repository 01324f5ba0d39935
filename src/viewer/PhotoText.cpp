#include "viewer/PhotoText.h"

#include "app/CommandIds.h"
#include "model/BaseNode.h"
#include "platform/CodePage.h"
#include "viewer/HelpTopics.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QFontDatabase>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextDocumentFragment>

#include <algorithm>
#include <cstdlib>

CPhotoText::CPhotoText(MenuFactory contextMenu, QWidget* parent)
    : QPlainTextEdit(parent), CRouter(false), m_contextMenu(std::move(contextMenu))
{
    setWhatsThis(WhatsThisText(HelpTopic::Text));
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(10);
    setFont(font);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Text leaves the pane by dragging; nothing is dropped into it.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
}

CPhotoText::~CPhotoText() = default;

void CPhotoText::ShowText(const std::string& text)
{
    setPlainText(QString::fromStdString(Cp1252ToUtf8(text)));
    emit ShowPaneRequested(!text.empty());
}

void CPhotoText::OnMessage(const RouterMessage& message)
{
    switch (message.m_nCode) {
    case RM_SELECT_NODE:
        m_pCurrent = message.m_pNode;
        ShowText(m_pCurrent ? m_pCurrent->m_strText : std::string());
        break;
    case RM_BOOK_LOADED:
    case RM_BOOK_CLOSING:
        ShowText(std::string());
        break;
    default:
        break;
    }
}

bool CPhotoText::OnCommand(int id)
{
    switch (id) {
    case ID_EDIT_COPY:
        if (textCursor().hasSelection())
            copy();
        return true;
    case ID_SELECT_ALL_TEXT:
        selectAll();
        return true;
    default:
        return false;
    }
}

bool CPhotoText::OnUpdateCommand(int id, CommandState& state)
{
    switch (id) {
    case ID_EDIT_COPY:
        state.enabled = textCursor().hasSelection();
        return true;
    case ID_SELECT_ALL_TEXT:
        state.enabled = true;
        return true;
    default:
        return false;
    }
}

QString CPhotoText::SelectedText() const
{
    return textCursor().selection().toPlainText();
}

QMimeData* CPhotoText::createMimeDataFromSelection() const
{
    // Plain text only, as the pane shows nothing else.
    auto* data = new QMimeData;
    data->setText(SelectedText());
    return data;
}

QRect CPhotoText::CharacterCell(int index) const
{
    QChar ch = document()->characterAt(index);
    if (ch.isNull() || ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator)
        return QRect();
    QTextCursor at(document());
    at.setPosition(index);
    QRect before = cursorRect(at);
    at.setPosition(index + 1);
    QRect after = cursorRect(at);
    int width = after.top() == before.top() ? after.left() - before.left()
                                            : fontMetrics().horizontalAdvance(ch); // ends a wrapped line
    int left = std::min(before.left(), before.left() + width); // right-to-left text runs leftwards
    return QRect(left, before.top(), std::abs(width), before.height());
}

bool CPhotoText::IsInSelection(const QPoint& pos) const
{
    QTextCursor selection = textCursor();
    if (!selection.hasSelection())
        return false;
    int start = selection.selectionStart();
    int end = selection.selectionEnd();
    // The nearest caret position lies on one side of the character under the point.
    int caret = cursorForPosition(pos).position();
    for (int index : {caret - 1, caret})
        if (index >= start && index < end && CharacterCell(index).contains(pos))
            return true;
    return false;
}

void CPhotoText::mousePressEvent(QMouseEvent* event)
{
    QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && IsInSelection(pos)) {
        // A press on the selection drags it out and leaves caret and selection alone.
        event->accept();
        auto* drag = new QDrag(this);
        drag->setMimeData(createMimeDataFromSelection());
        if (RunDrag(drag) == Qt::IgnoreAction)
            setFocus(Qt::MouseFocusReason);
        return;
    }
    if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier) &&
        textCursor().hasSelection()) {
        // Outside the selection a press starts afresh; the edit's own notion of
        // "inside" is wider than the characters' cells and would start its own drag.
        QTextCursor cursor = textCursor();
        cursor.clearSelection();
        setTextCursor(cursor);
    }
    QPlainTextEdit::mousePressEvent(event);
}

Qt::DropAction CPhotoText::RunDrag(QDrag* drag)
{
    return drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void CPhotoText::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (!viewport()->rect().contains(viewport()->mapFromGlobal(event->globalPos())))
        return;
    setFocus(Qt::MouseFocusReason);
    TrackPopup(event->globalPos());
}

void CPhotoText::TrackPopup(const QPoint& globalPos)
{
    if (!m_contextMenu)
        return;
    QMenu* menu = m_contextMenu(CM_TEXT);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->exec(globalPos);
}
