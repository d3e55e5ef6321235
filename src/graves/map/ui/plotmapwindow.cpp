#include "graves/map/ui/plotmapwindow.h"

#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/session.h"
#include "graves/map/ui/ploticondelegate.h"
#include "graves/map/ui/plotmapmodel.h"
#include "graves/map/ui/plotpictures.h"
#include "ui_plotmapwindow.h"

#include <QKeyEvent>

PlotMapWindow::PlotMapWindow(AppContext& context, PlotSaleWindows sale, QWidget* parent)
    : TaskWindow(context, parent), m_sale(std::move(sale)), m_service(context.database),
      m_ui(std::make_unique<Ui::Frm_gm>()), m_model(new PlotMapModel(this)) {
    m_ui->setupUi(this);
    m_ui->LV1->setModel(m_model);
    m_ui->LV1->setIconSize(QSize(PlotPictures::size, PlotPictures::size));
    m_ui->LV1->setItemDelegate(new PlotIconDelegate(m_ui->LV1));
    m_ui->LV1->setGridSize(PlotIconDelegate::cellSize(m_ui->LV1->fontMetrics()));
    m_ui->LV1->installEventFilter(this);
    m_ui->Combo3->setCurrentIndex(-1);

    m_ui->Mask1->clear();
    m_ui->Combo1->addItems(m_service.areas());
    m_ui->Combo1->setCurrentIndex(-1);

    on(m_ui->Combo1, &QComboBox::activated, &PlotMapWindow::chooseArea);
    on(m_ui->Combo2, &QComboBox::activated, &PlotMapWindow::chooseRow);
    on(m_ui->Combo3, &QComboBox::activated, &PlotMapWindow::chooseStyle);
    on(m_ui->Mask1, &QLineEdit::returnPressed, &PlotMapWindow::searchNumber);
    on(m_ui->LV1, &QListView::doubleClicked, &PlotMapWindow::pickCurrent);
    on(m_ui->Command2, &QPushButton::clicked, &PlotMapWindow::printReserved);
    on(m_ui->Command1, &QPushButton::clicked, &PlotMapWindow::closeWindow);
    // Once the plots of the area shown change (a sale, a reservation, a set-up), the icons no longer
    // tell the truth: they are gone until an area, row or style is chosen again.
    connect(&context.database.changes(), &ChangeNotifier::changed, this,
            [this](ChangeNotifier::Subject subject, const QString& area) {
                if (subject == ChangeNotifier::Subject::Plots && area == m_ui->Combo1->currentText())
                    m_model->clear();
            });
}

PlotMapWindow::~PlotMapWindow() = default;

bool PlotMapWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->LV1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([this] { pickCurrent(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PlotMapWindow::chooseArea() {
    m_ui->Combo2->clear();
    m_model->clear();
    m_ui->Mask1->clear();
    // Nothing of the previous area may linger for the status line or the reserved-plot list.
    m_filter = {};
    m_ui->Bar1->clear();
    const QString area = m_ui->Combo1->currentText();
    if (area.isEmpty())
        return;
    m_ui->Combo2->addItems(m_service.rows(area));
    m_ui->Combo2->setCurrentIndex(-1);
    showPlots({area, QString(), QString()});
}

void PlotMapWindow::chooseRow() {
    showPlots({m_ui->Combo1->currentText(), m_ui->Combo2->currentText(), QString()});
}

void PlotMapWindow::chooseStyle() {
    showPlots({m_ui->Combo1->currentText(), m_ui->Combo2->currentText(), m_ui->Combo3->currentText()});
}

void PlotMapWindow::showPlots(const MapFilter& filter) {
    const MapView view = m_service.view(filter);
    m_filter = filter;
    m_model->setPlots(view.plots);
    m_ui->Bar1->setText(view.statusLine);
}

void PlotMapWindow::searchNumber() {
    const QString number = m_ui->Mask1->text();
    if (Money::parseLeading(number) == 0)
        return;
    m_model->clear();
    m_model->setPlots(m_service.findNumber(m_ui->Combo1->currentText(), m_ui->Combo2->currentText(),
                                           m_ui->Combo2->count() > 0, number));
}

void PlotMapWindow::pickCurrent() {
    const QModelIndex index = m_ui->LV1->currentIndex();
    if (!index.isValid() || index.data(PlotMapModel::TagRole).toInt() != PlotIconRules::freeTag)
        return;
    const std::optional<ChosenPlot> plot = m_service.choose(index.data(Qt::DisplayRole).toString());
    if (!plot)
        return;
    m_context.session.chosenPlot = *plot;
    m_context.host.open<PlotChoiceWindow>(m_sale)->showChosenPlot();
}

void PlotMapWindow::printReserved() {
    if (m_filter.area.isEmpty())
        return;
    m_context.printBridge.print(PlotMapService::reservedList(m_filter));
}
