#pragma once
// The printers the print system offers, and printing a Picture Book's page
// from the command line ("/p" on the default printer, "/pt" on a named one)
// without a dialog. Tests stand in printers of their own.

#include <QString>
#include <QStringList>

class CCommandLineInfo;
class CCorvaleView;
class QPrinter;

class PrinterDirectory {
public:
    virtual ~PrinterDirectory() = default;

    virtual QStringList PrinterNames() const;
    // Points `printer` at the offered printer `name`.
    virtual void Select(QPrinter& printer, const QString& name) const;

    // The offered printer `requested` names: that very name, else the one
    // that differs from it only in letter case (print queue names are not
    // told apart by case); empty when there is none.
    QString Find(const QString& requested) const;
};

// Prints the page `view` shows as `info` asks. A "/pt" printer that is not
// offered gets its message and nothing is printed. False when nothing was.
bool PrintFromCommandLine(CCorvaleView& view, const CCommandLineInfo& info, const PrinterDirectory& printers);
