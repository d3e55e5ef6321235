#pragma once

#include "foundation/printbridge.h"

// Asks the system's printing service (CUPS) which printers there are.
class SystemPrinterProbe : public PrinterProbe {
public:
    bool available(const QString& printerName) const override;
};
