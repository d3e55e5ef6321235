#pragma once

#include "admin/printarchiveservice.h"
#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_dyda;
}

// Frm_dyda: the printed documents kept as PDFs, found by date and text, opened or printed again.
class PrintArchiveWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_dyda", {Placement::Rule::Centred}};

    PrintArchiveWindow(AppContext& context, const PrinterProbe& printers, QWidget* parent = nullptr);
    ~PrintArchiveWindow() override;

private:
    void refresh();
    void showList();
    QString chosenFile() const;

    std::unique_ptr<Ui::Frm_dyda> m_ui;
    PrintArchiveService m_service;
};
