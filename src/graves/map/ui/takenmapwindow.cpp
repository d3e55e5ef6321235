#include "graves/map/ui/takenmapwindow.h"

#include "foundation/database.h"
#include "shared/session.h"
#include "ui_takenmapwindow.h"

namespace {

MapUse useOf(TakenMap kind) {
    return kind == TakenMap::Reserved ? MapUses::reserved() : MapUses::sold();
}

} // namespace

TakenMapWindow::TakenMapWindow(AppContext& context, TakenMap kind, std::function<void()> goOn,
                               QWidget* parent)
    : TaskWindow(context, parent), m_kind(kind), m_goOn(std::move(goOn)),
      m_ui(std::make_unique<Ui::TakenMapForm>()) {
    m_ui->setupUi(this);
    const bool reserved = kind == TakenMap::Reserved;
    setObjectName(QString::fromLatin1(takenMapWindow(kind)));
    setWindowTitle(reserved ? QStringLiteral("预订维护选择") : QStringLiteral("选择落葬"));
    m_ui->Command2->setText(reserved ? QStringLiteral("已预定墓位列表") : QStringLiteral("已购墓位列表"));
    m_ui->map->start(context.database,
                     {useOf(kind), reserved ? &PlotPictures::reserved() : &PlotPictures::sold(), true, false,
                      [this](const QModelIndex& index) { pick(index); }},
                     [this](const std::function<void()>& action) { return guarded(action); });
    on(m_ui->Command2, &QPushButton::clicked, &TakenMapWindow::printList);
    on(m_ui->Command1, &QPushButton::clicked, &TakenMapWindow::closeWindow);
}

TakenMapWindow::~TakenMapWindow() = default;

void TakenMapWindow::pick(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const QString key = index.data(Qt::DisplayRole).toString();
    if (m_kind == TakenMap::Reserved) {
        const std::optional<ChosenReservation> reservation = m_ui->map->service().reservationOf(key);
        if (!reservation)
            return;
        m_context.session.chosenReservation = *reservation;
    } else {
        const std::optional<ChosenPurchase> purchase = m_ui->map->service().purchaseOf(key);
        if (!purchase)
            return;
        m_context.session.chosenPurchase = *purchase;
    }
    m_goOn();
}

void TakenMapWindow::printList() {
    // The reserved list is of the chosen area; the sold list of the plots shown.
    const MapFilter& shown = m_ui->map->shown();
    if (m_kind == TakenMap::Reserved ? shown.area.isEmpty() : m_ui->map->iconCount() == 0)
        return;
    m_context.printBridge.print(PlotMapService::listJob(useOf(m_kind), shown));
}
