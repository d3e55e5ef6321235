#include "graves/map/ui/reservedmapwindow.h"

#include "foundation/database.h"
#include "shared/session.h"
#include "ui_reservedmapwindow.h"

ReservedMapWindow::ReservedMapWindow(AppContext& context, std::function<void()> openMaintenance,
                                     QWidget* parent)
    : TaskWindow(context, parent), m_openMaintenance(std::move(openMaintenance)),
      m_ui(std::make_unique<Ui::Frm_ydwh>()) {
    m_ui->setupUi(this);
    m_ui->map->start(context.database,
                     {MapUses::reserved(), &PlotPictures::reserved(), true, false,
                      [this](const QModelIndex& index) { pick(index); }},
                     [this](const std::function<void()>& action) { return guarded(action); });
    on(m_ui->Command2, &QPushButton::clicked, &ReservedMapWindow::printList);
    on(m_ui->Command1, &QPushButton::clicked, &ReservedMapWindow::closeWindow);
}

ReservedMapWindow::~ReservedMapWindow() = default;

void ReservedMapWindow::pick(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const std::optional<ChosenReservation> reservation =
        m_ui->map->service().reservationOf(index.data(Qt::DisplayRole).toString());
    if (!reservation)
        return;
    m_context.session.chosenReservation = *reservation;
    m_openMaintenance();
}

void ReservedMapWindow::printList() {
    const MapFilter& shown = m_ui->map->shown();
    if (shown.area.isEmpty())
        return;
    m_context.printBridge.print(PlotMapService::listJob(MapUses::reserved(), shown));
}
