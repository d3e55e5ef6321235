#pragma once

#include "graves/plotsetupservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

class NameBox;
namespace Ui {
class Frm_mqsz;
}

// Frm_mqsz, 墓区排列设置: areas, rows and runs of numbered plots. The rules live in PlotSetupService;
// this class ties the form's controls to them and shows what they report.
class PlotSetupWindow : public TaskWindow, private PlotSetupView {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_mqsz"};

    explicit PlotSetupWindow(AppContext& context, QWidget* parent = nullptr);
    ~PlotSetupWindow() override;

private:
    PlotSetupInput input() const;
    void startAddingArea();
    void saveArea();
    void removeArea();
    void addRow();
    void removeRow();
    void showArea();
    void showRow();
    void showAreaStatus();

    void showStatus(const QString& text) override;
    void showResults(const QStringList& lines) override;
    void setRowGroupEnabled(bool enabled) override;
    void showStartNumber(const QString& number) override;
    void showDeleteRange(const QString& first, const QString& last) override;
    void runLong(Pass pass, const Work& work) override;

    std::unique_ptr<Ui::Frm_mqsz> m_ui;
    NameBox* m_nameBox;
    PlotSetupService m_service;
};
