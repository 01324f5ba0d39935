#include "qtshared/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

QtPrompter::QtPrompter(QWidget* parent)
    : m_pParent(parent), m_pPrevious(Prompter::SetCurrent(this))
{
}

QtPrompter::~QtPrompter()
{
    Prompter::SetCurrent(m_pPrevious);
}

PromptReply QtPrompter::Ask(const std::string& text, PromptButtons buttons, PromptIcon icon,
                            const std::string& caption)
{
    // A window of ours that stays on top (an import's progress) would hide a
    // box owned by anyone else: the box goes above it, with its own place on top.
    QWidget* owner = m_pParent;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && (window->windowFlags() & Qt::WindowStaysOnTopHint))
            owner = window;
    QMessageBox box(owner);
    if (owner != m_pParent)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setWindowTitle(caption.empty() ? QStringLiteral("Corvale") : QString::fromStdString(caption));
    // Messages quote names from other people's files; none may be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    switch (icon) {
    case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case PromptIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    case PromptIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case PromptButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case PromptButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case PromptButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case PromptButtons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case PromptButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case PromptButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    // A dialog must never sit under a busy cursor.
    bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    int result = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    switch (result) {
    case QMessageBox::Ok: return PromptReply::Ok;
    case QMessageBox::Yes: return PromptReply::Yes;
    case QMessageBox::No: return PromptReply::No;
    case QMessageBox::Retry: return PromptReply::Retry;
    default: return NegativeReply(buttons);
    }
}

void QtPrompter::BeginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPrompter::EndWait()
{
    QApplication::restoreOverrideCursor();
}

bool QtPrompter::ChooseSaveFile(const std::string& title, const std::string& filter,
                                std::string& path)
{
    QString chosen = QFileDialog::getSaveFileName(m_pParent, QString::fromStdString(title),
                                                  QString::fromStdString(path),
                                                  QString::fromStdString(filter));
    if (chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}
