#include "graves/map/ui/plotchoicewindow.h"

#include "foundation/money.h"
#include "shared/rights.h"
#include "shared/session.h"
#include "shared/ui/itemgate.h"
#include "ui_plotchoicewindow.h"

PlotChoiceWindow::PlotChoiceWindow(AppContext& context, PlotSaleWindows sale, QWidget* parent)
    : TaskWindow(context, parent), m_sale(std::move(sale)), m_ui(std::make_unique<Ui::frmgm_xz>()) {
    m_ui->setupUi(this);
    showChosenPlot();
    on(m_ui->Command1, &QPushButton::clicked, [this] { goOn(Item::ReservePlot, m_sale.reserve); });
    on(m_ui->Command2, &QPushButton::clicked, [this] { goOn(Item::BuyPlotDirectly, m_sale.buy); });
    on(m_ui->Command3, &QPushButton::clicked, &PlotChoiceWindow::closeWindow);
}

PlotChoiceWindow::~PlotChoiceWindow() = default;

void PlotChoiceWindow::showChosenPlot() {
    const ChosenPlot& plot = m_context.session.chosenPlot;
    m_ui->Label1->setText(QStringLiteral("你选择的是： ") + plot.key + QStringLiteral(" |样式： ") +
                          plot.style);
    m_ui->Label2->setText(QStringLiteral("墓地费： ") + Money::format(plot.landPrice));
    m_ui->Label3->setText(QStringLiteral("墓碑费： ") + Money::format(plot.stonePrice));
    m_ui->Label4->setText(QStringLiteral("工料费： ") + Money::format(plot.labourPrice));
    m_ui->Label5->setText(QStringLiteral("家族墓费： ") + Money::format(plot.familyPrice));
    m_ui->Label6->setText(QStringLiteral("绿化费： ") + Money::format(plot.greeningPrice));
    m_ui->Label7->setText(QStringLiteral("其它费： ") + Money::format(plot.otherPrice));
}

void PlotChoiceWindow::goOn(int item, const std::function<void()>& open) {
    if (!passesItemGate(m_context.session, m_context.prompter, item))
        return;
    if (open)
        open();
}
