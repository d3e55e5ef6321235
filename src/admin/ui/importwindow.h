#pragma once

#include "admin/importservice.h"
#include "foundation/ui/taskwindow.h"

#include <QHash>
#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class Frm_drsj;
}

// Frm_drsj (Admin only): a file for each kind of record, its template and the office's own rows in
// its form; the dry run's problems on the grid, and 导入 only after a check of these very files
// found none.
class ImportWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_drsj", {Placement::Rule::Centred}};

    explicit ImportWindow(AppContext& context, QWidget* parent = nullptr);
    ~ImportWindow() override;

private:
    QStringList chosenFiles() const;
    void pick(const QString& table);
    void saveTemplates();
    void exportRows();
    void check();
    void import();
    void showReport(const ImportService::Report& report);
    // Asks where each kind's file goes, suggesting its table's name, and writes what `bytes` gives.
    void saveEachKind(const QString& caption, const std::function<QByteArray(const QString&)>& bytes);

    std::unique_ptr<Ui::Frm_drsj> m_ui;
    ImportService m_service;
    QHash<QString, QLineEdit*> m_paths; // by table
    QStringList m_checked;              // the files of the last clean check
};
