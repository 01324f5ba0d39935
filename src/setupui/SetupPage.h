#pragma once
// What the six pages of the install wizard share: the wizard's rules, the
// pages' font, and a call each time the page comes into view (Qt calls
// initializePage only the first time, as the pages are independent).

#include "platform/MessageTable.h"
#include "setup/InstallWizardModel.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QWizardPage>

class QLabel;

// A text of the table, for a widget.
QString UiText(MessageId id);

// The first of `families` that is installed, at `points`; where none is, the
// desktop's sans-serif face, never what the font system likens a missing name
// to (for "Comic Sans MS" a calligraphic face that is hard to read).
QFont SetupFont(const QStringList& families, int points);

class SetupPage : public QWizardPage {
    Q_OBJECT
public:
    SetupPage(InstallWizardModel& model, MessageId heading, QWidget* parent = nullptr);

    // The page is about to be seen; `first` the first time in this run.
    virtual void Shown(bool first) = 0;

protected:
    // A label that wraps, holding `text`.
    QLabel* MakeLabel(const QString& text);

    InstallWizardModel& m_model;
};
