#pragma once

#include "business/lampqueries.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class cjddfind_frm;
}

// cjddfind_frm "春节点灯缴费查询": the lamp payments by conditions, a year's takings with their sheet,
// and the plots that have not paid for a year.
class LampQueryWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"cjddfind_frm"};

    explicit LampQueryWindow(AppContext& context, QWidget* parent = nullptr);
    ~LampQueryWindow() override;

private:
    void listRows();
    void listNumbers();
    void modeChanged();
    LampConditions conditions() const;
    // The year typed for the summary or the unpaid list; nothing after telling the operator it is wrong.
    std::optional<int> chosenYear();
    void query();
    void printSummary();
    void tell(const QString& text);

    std::unique_ptr<Ui::cjddfind_frm> m_ui;
};
