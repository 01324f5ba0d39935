#include "viewer/PrinterDirectory.h"

#include "app/CommandLineInfo.h"
#include "platform/MessageTable.h"
#include "platform/Prompter.h"
#include "viewer/CorvaleView.h"

#include <QPrinter>
#include <QPrinterInfo>

QStringList PrinterDirectory::PrinterNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

void PrinterDirectory::Select(QPrinter& printer, const QString& name) const
{
    printer.setPrinterName(name);
}

QString PrinterDirectory::Find(const QString& requested) const
{
    QStringList names = PrinterNames();
    if (requested.isEmpty())
        return {};
    if (names.contains(requested))
        return requested;
    for (const QString& name : names)
        if (name.compare(requested, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

bool PrintFromCommandLine(CCorvaleView& view, const CCommandLineInfo& info, const PrinterDirectory& printers)
{
    QPrinter printer(QPrinter::HighResolution);
    if (info.m_nShellCommand == CCommandLineInfo::FilePrintTo) {
        // The print system keeps each queue's driver and device with it, so
        // the driver and port that may follow the name choose nothing more.
        QString name = printers.Find(QString::fromStdString(info.m_strPrinterName));
        if (name.isEmpty()) {
            Prompter::Current().Message(FormatMessageText(MessageId::PrinterNotFound, {info.m_strPrinterName}));
            return false;
        }
        printers.Select(printer, name);
    }
    return view.PrintTo(printer);
}
