#include "statistics/ui/countwindow.h"

#include "foundation/clock.h"
#include "statistics/ui/statisticschart.h"
#include "ui_countrangewindow.h"
#include "ui_countyearwindow.h"

#include <QScopeGuard>

namespace {

QString titleOf(CountKind kind) {
    switch (kind) {
    case CountKind::PlotSales:
        return QStringLiteral("墓位销售统计");
    case CountKind::TombstoneTypes:
        return QStringLiteral("碑型销售统计");
    case CountKind::NicheOccupancy:
        return QStringLiteral("骨灰寄存自定义日期统计");
    case CountKind::PlotSalesByMonth:
        return QStringLiteral("墓位销售自定义年统计");
    case CountKind::StoragesByMonth:
        return QStringLiteral("骨灰寄存自定义年统计");
    }
    return {};
}

} // namespace

CountWindow::CountWindow(AppContext& context, CountKind kind, QWidget* parent)
    : TaskWindow(context, parent), m_kind(kind), m_counts(context.database) {
    setObjectName(QString::fromLatin1(countWindow(kind)));
}

void CountWindow::attachForm(StatisticsChart* chart, QPushButton* printButton) {
    setWindowTitle(titleOf(m_kind));
    m_chart = chart;
    m_chart->attach(m_context.prompter, windowTitle());
    m_printButton = printButton;
    m_printButton->setEnabled(false);
    on(m_printButton, &QPushButton::clicked, &CountWindow::print);
}

void CountWindow::count(const Period& period) {
    QList<Figure> figures = m_counts.count(m_kind, period);
    if (m_kind == CountKind::TombstoneTypes && figures.isEmpty()) {
        showOutcome(refused(warning(QStringLiteral("当前各碑型统计都为零，不能以图形显示出来！"))));
        return;
    }
    m_figures = std::move(figures);
    m_period = period;
    if (m_kind == CountKind::TombstoneTypes)
        m_chart->showPie(m_figures);
    else
        m_chart->showBars(m_figures, !countsByMonth(m_kind));
    m_printButton->setEnabled(true);
}

void CountWindow::print() {
    m_context.printBridge.print(m_counts.print(m_kind, m_figures, m_period));
}

CountRangeWindow::CountRangeWindow(AppContext& context, CountKind kind, QWidget* parent)
    : CountWindow(context, kind, parent), m_ui(std::make_unique<Ui::CountRangeForm>()) {
    m_ui->setupUi(this);
    attachForm(m_ui->MSChart1, m_ui->ComdPrinter);
    if (kind == CountKind::NicheOccupancy)
        m_ui->ComdPrinter->setText(QStringLiteral("打   印"));
    const QDate today = context.clock.today();
    m_ui->DP1->setDate(QDate(today.year(), today.month(), 1));
    m_ui->DP2->setDate(today);
    on(m_ui->ComdFindCount, &QPushButton::clicked, [this] { count({m_ui->DP1->date(), m_ui->DP2->date()}); });
    on(m_ui->ComdExit, &QPushButton::clicked, &CountRangeWindow::closeWindow);
}

CountRangeWindow::~CountRangeWindow() = default;

CountYearWindow::CountYearWindow(AppContext& context, CountKind kind, QWidget* parent)
    : CountWindow(context, kind, parent), m_ui(std::make_unique<Ui::CountYearForm>()) {
    m_ui->setupUi(this);
    attachForm(m_ui->MSChart1, m_ui->ComdPrinter);
    m_ui->Text1->setText(QString::number(context.clock.today().year()));
    on(m_ui->ComCount, &QPushButton::clicked, &CountYearWindow::countYear);
    on(m_ui->ComExit, &QPushButton::clicked, &CountYearWindow::closeWindow);
}

CountYearWindow::~CountYearWindow() = default;

void CountYearWindow::countYear() {
    const std::optional<int> year = DateText::parseYear(m_ui->Text1->text());
    if (!year) {
        showOutcome(refused(warning(QStringLiteral("请输入正确年号！ "))));
        return;
    }
    m_ui->ComCount->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { m_ui->ComCount->setEnabled(true); });
    count(Period::ofYear(*year));
}
