#include "foundation/ui/systemprinterprobe.h"

#include <QPrinterInfo>

bool SystemPrinterProbe::available(const QString& printerName) const {
    const QPrinterInfo printer =
        printerName.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(printerName);
    return !printer.isNull();
}
