#include "graves/map/ui/plotmapwindow.h"

#include "foundation/database.h"
#include "graves/map/ui/plotmapmodel.h"
#include "shared/session.h"
#include "ui_plotmapwindow.h"

PlotMapWindow::PlotMapWindow(AppContext& context, PlotSaleWindows sale, QWidget* parent)
    : TaskWindow(context, parent), m_sale(std::move(sale)), m_ui(std::make_unique<Ui::Frm_gm>()) {
    m_ui->setupUi(this);
    m_ui->map->start(context.database,
                     {MapUses::sale(), &PlotPictures::sale(), true, false,
                      [this](const QModelIndex& index) { pick(index); }},
                     [this](const std::function<void()>& action) { return guarded(action); });
    on(m_ui->Command2, &QPushButton::clicked, &PlotMapWindow::printReserved);
    on(m_ui->Command1, &QPushButton::clicked, &PlotMapWindow::closeWindow);
}

PlotMapWindow::~PlotMapWindow() = default;

void PlotMapWindow::pick(const QModelIndex& index) {
    if (!index.isValid() || index.data(PlotMapModel::TagRole).toInt() != PlotIconRules::freeTag)
        return;
    const std::optional<ChosenPlot> plot =
        m_ui->map->service().choose(index.data(Qt::DisplayRole).toString());
    if (!plot)
        return;
    m_context.session.chosenPlot = *plot;
    m_context.host.open<PlotChoiceWindow>(m_sale)->showChosenPlot();
}

void PlotMapWindow::printReserved() {
    const MapFilter& choice = m_ui->map->choice();
    if (choice.area.isEmpty())
        return;
    m_context.printBridge.print(PlotMapService::listJob(MapUses::sale(), choice));
}
