#include "graves/map/ui/soldmapwindow.h"

#include "foundation/database.h"
#include "shared/session.h"
#include "ui_soldmapwindow.h"

SoldMapWindow::SoldMapWindow(AppContext& context, std::function<void()> openBurialHub, QWidget* parent)
    : TaskWindow(context, parent), m_openBurialHub(std::move(openBurialHub)),
      m_ui(std::make_unique<Ui::Frm_xzlz>()) {
    m_ui->setupUi(this);
    m_ui->map->start(context.database,
                     {MapUses::sold(), &PlotPictures::sold(), true, false,
                      [this](const QModelIndex& index) { pick(index); }},
                     [this](const std::function<void()>& action) { return guarded(action); });
    on(m_ui->Command2, &QPushButton::clicked, &SoldMapWindow::printList);
    on(m_ui->Command1, &QPushButton::clicked, &SoldMapWindow::closeWindow);
}

SoldMapWindow::~SoldMapWindow() = default;

void SoldMapWindow::pick(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const std::optional<ChosenPurchase> purchase =
        m_ui->map->service().purchaseOf(index.data(Qt::DisplayRole).toString());
    if (!purchase)
        return;
    m_context.session.chosenPurchase = *purchase;
    m_openBurialHub();
}

void SoldMapWindow::printList() {
    if (m_ui->map->iconCount() == 0)
        return;
    m_context.printBridge.print(PlotMapService::listJob(MapUses::sold(), m_ui->map->shown()));
}
