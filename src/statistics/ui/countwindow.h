#pragma once

#include "foundation/ui/taskwindow.h"
#include "statistics/salescounts.h"

#include <memory>

class QPushButton;
class StatisticsChart;

namespace Ui {
class CountRangeForm;
class CountYearForm;
} // namespace Ui

constexpr const char* countWindow(CountKind kind) {
    switch (kind) {
    case CountKind::PlotSales:
        return "Frm_Mwxstj";
    case CountKind::TombstoneTypes:
        return "Frm_Bxxstj";
    case CountKind::NicheOccupancy:
        return "Frmjcrqtj";
    case CountKind::PlotSalesByMonth:
        return "Frmnxstj";
    case CountKind::StoragesByMonth:
        return "Frmghjcntj";
    }
    return "";
}

// What every counting window does: count, draw the figures, and print exactly the figures drawn.
class CountWindow : public TaskWindow {
    Q_OBJECT
protected:
    CountWindow(AppContext& context, CountKind kind, QWidget* parent);
    // The form's chart and print button, once the form is set up.
    void attachForm(StatisticsChart* chart, QPushButton* printButton);
    void count(const Period& period);
    void print();

    CountKind m_kind;

private:
    SalesCounts m_counts;
    StatisticsChart* m_chart = nullptr;
    QPushButton* m_printButton = nullptr;
    QList<Figure> m_figures;
    Period m_period;
};

// The counts of a period between two dates (Frm_Mwxstj, Frm_Bxxstj, Frmjcrqtj).
class CountRangeWindow : public CountWindow {
    Q_OBJECT
public:
    ~CountRangeWindow() override;

protected:
    CountRangeWindow(AppContext& context, CountKind kind, QWidget* parent);

private:
    std::unique_ptr<Ui::CountRangeForm> m_ui;
};

// The counts of each month of a typed year (Frmnxstj, Frmghjcntj).
class CountYearWindow : public CountWindow {
    Q_OBJECT
public:
    ~CountYearWindow() override;

protected:
    CountYearWindow(AppContext& context, CountKind kind, QWidget* parent);

private:
    void countYear();

    std::unique_ptr<Ui::CountYearForm> m_ui;
};

// The window of one statistic, as the host opens it by type.
template <CountKind Kind>
class CountWindowOf final
    : public std::conditional_t<countsByMonth(Kind), CountYearWindow, CountRangeWindow> {
public:
    static constexpr TaskWindowTraits traits{countWindow(Kind)};
    explicit CountWindowOf(AppContext& context, QWidget* parent = nullptr)
        : std::conditional_t<countsByMonth(Kind), CountYearWindow, CountRangeWindow>(context, Kind, parent) {}
};
