#include "graves/map/ui/plotmappanel.h"

#include "foundation/database.h"
#include "foundation/money.h"
#include "graves/map/ui/ploticondelegate.h"
#include "graves/map/ui/plotmapmodel.h"
#include "ui_plotmappanel.h"

#include <QKeyEvent>

PlotMapPanel::PlotMapPanel(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PlotMapPanel>()), m_model(new PlotMapModel(this)) {
    m_ui->setupUi(this);
    m_ui->LV1->setModel(m_model);
    m_ui->LV1->setIconSize(QSize(PlotPictures::size, PlotPictures::size));
    m_ui->LV1->setItemDelegate(new PlotIconDelegate(m_ui->LV1));
    m_ui->LV1->setGridSize(PlotIconDelegate::cellSize(m_ui->LV1->fontMetrics()));
    m_ui->LV1->installEventFilter(this);
    m_ui->Combo3->setCurrentIndex(-1);
}

PlotMapPanel::~PlotMapPanel() = default;

void PlotMapPanel::start(Database& database, Setup setup, Guard guard) {
    m_setup = std::move(setup);
    m_guard = std::move(guard);
    m_service = std::make_unique<PlotMapService>(database, m_setup.use);
    m_model->setPictures(*m_setup.pictures);
    m_ui->Label3->setVisible(m_setup.filtersStyle);
    m_ui->Combo3->setVisible(m_setup.filtersStyle);
    m_ui->Label5->setVisible(m_setup.searchesRange);
    m_ui->Mask2->setVisible(m_setup.searchesRange);
    for (const auto& [look, meaning] : m_setup.pictures->legend) {
        auto* picture = new QLabel(this);
        picture->setPixmap(PlotPictures::pixmap(look));
        m_ui->legend->addWidget(picture);
        m_ui->legend->addWidget(new QLabel(meaning, this));
        m_ui->legend->addSpacing(12);
    }
    m_ui->legend->addStretch();

    m_ui->Mask1->clear();
    m_ui->Mask2->clear();
    m_ui->Combo1->addItems(m_service->areas());
    m_ui->Combo1->setCurrentIndex(-1);

    const auto on = [this](auto* sender, auto signal, auto action) {
        connect(sender, signal, this, [this, action] { m_guard([this, action] { action(); }); });
    };
    on(m_ui->Combo1, &QComboBox::activated, [this] { chooseArea(); });
    on(m_ui->Combo2, &QComboBox::activated, [this] {
        choose({m_ui->Combo1->currentText(), m_ui->Combo2->currentText()});
    });
    on(m_ui->Combo3, &QComboBox::activated, [this] {
        choose({m_ui->Combo1->currentText(), m_ui->Combo2->currentText(), m_ui->Combo3->currentText()});
    });
    on(m_ui->Mask1, &QLineEdit::returnPressed, [this] { search(false); });
    on(m_ui->Mask2, &QLineEdit::returnPressed, [this] { search(true); });
    if (m_setup.pick)
        on(m_ui->LV1, &QListView::doubleClicked, [this] { m_setup.pick(m_ui->LV1->currentIndex()); });
    // Once the plots of the area shown change (a sale, a reservation, a set-up, here or at another
    // desk), the icons are read again. Should that fail, they are gone rather than untrue.
    connect(&database.changes(), &ChangeNotifier::changed, this,
            [this](ChangeNotifier::Subject subject, const QString& area) {
                if (subject == ChangeNotifier::Subject::Plots &&
                    ChangeNotifier::concerns(area, m_shown.area) && !m_guard([this] { showAgain(); }))
                    m_model->clear();
            });
}

bool PlotMapPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->LV1 && m_setup.pick && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_guard([this] { m_setup.pick(m_ui->LV1->currentIndex()); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PlotMapPanel::chooseArea() {
    m_ui->Combo2->clear();
    m_model->clear();
    m_ui->Mask1->clear();
    m_ui->Mask2->clear();
    // Nothing of the previous area may linger for the status line, the list or the commands.
    m_choice = m_shown = {};
    m_ui->Bar1->clear();
    const QString area = m_ui->Combo1->currentText();
    if (area.isEmpty())
        return;
    m_ui->Combo2->addItems(m_service->rows(area));
    m_ui->Combo2->setCurrentIndex(-1);
    choose({area});
}

void PlotMapPanel::choose(const MapFilter& filter) {
    m_choice = filter;
    show(filter);
}

void PlotMapPanel::search(bool range) {
    // The box Enter was pressed in searches nothing at 0, and leaves the grid.
    QLineEdit* typed = range ? m_ui->Mask2 : m_ui->Mask1;
    if (Money::parseLeading(typed->text()) == 0)
        return;
    MapFilter filter{m_ui->Combo1->currentText(), m_ui->Combo2->currentText()};
    filter.number = m_ui->Mask1->text();
    if (range)
        filter.last = m_ui->Mask2->text();
    filter.rowless = m_ui->Combo2->count() == 0;
    show(filter);
}

void PlotMapPanel::show(const MapFilter& filter) {
    const MapView view = m_service->view(filter);
    m_shown = filter;
    m_model->setPlots(view.plots);
    // A number or a range leaves the counts of the choice.
    if (!filter.searchesNumber())
        m_ui->Bar1->setText(view.statusLine);
}

int PlotMapPanel::iconCount() const {
    return m_model->rowCount();
}

void PlotMapPanel::showAgain() {
    if (m_shown.area.isEmpty())
        return;
    // The clerk's plot stays picked where it is still shown.
    const QString current = m_ui->LV1->currentIndex().data().toString();
    show(m_shown);
    if (current.isEmpty())
        return;
    const QModelIndexList same =
        m_model->match(m_model->index(0, 0), Qt::DisplayRole, current, 1, Qt::MatchExactly);
    if (!same.isEmpty())
        m_ui->LV1->setCurrentIndex(same.first());
}
