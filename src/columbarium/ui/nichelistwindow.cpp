#include "columbarium/ui/nichelistwindow.h"

#include "columbarium/ui/nichegridmodel.h"
#include "columbarium/ui/nichepictures.h"
#include "foundation/database.h"
#include "foundation/money.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

NicheListWindow::NicheListWindow(AppContext& context, NicheListing listing, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, listing), m_model(new NicheGridModel(this)) {}

NicheListWindow::~NicheListWindow() = default;

void NicheListWindow::attach(const NicheListControls& controls) {
    m_controls = controls;
    m_controls.list->setModel(m_model);
    m_controls.list->setIconSize(QSize(NichePictures::size, NichePictures::size));
    m_controls.list->installEventFilter(this);
    m_controls.number->installEventFilter(this);
    for (int layer = 1; layer <= 20; ++layer)
        m_controls.layers->addItem(QString::number(layer));
    m_controls.layers->setCurrentIndex(-1);
    m_controls.halls->addItems(m_service.halls());
    m_controls.halls->setCurrentIndex(-1);

    on(m_controls.halls, &QComboBox::activated, &NicheListWindow::chooseHall);
    on(m_controls.rooms, &QComboBox::activated, &NicheListWindow::chooseRoom);
    on(m_controls.layers, &QComboBox::activated, &NicheListWindow::chooseLayer);
    on(m_controls.list, &QListView::doubleClicked, &NicheListWindow::pickCurrent);
    on(m_controls.print, &QPushButton::clicked, &NicheListWindow::printList);
    on(m_controls.quit, &QPushButton::clicked, &NicheListWindow::closeWindow);
    // A niche stored, freed, set up or deleted in the hall shown, here or at another desk, makes the list
    // and its count untrue: both are read again, or emptied should that fail.
    connect(&m_context.database.changes(), &ChangeNotifier::changed, this,
            [this](ChangeNotifier::Subject subject, const QString& hall) {
                if (subject == ChangeNotifier::Subject::Niches &&
                    ChangeNotifier::concerns(hall, m_shown.hall) && !guarded([this] { showAgain(); })) {
                    m_model->clear();
                    m_controls.status->clear();
                }
            });
}

bool NicheListWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_controls.list || watched == m_controls.number) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([this, watched] { watched == m_controls.list ? pickCurrent() : searchNumber(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void NicheListWindow::chooseHall() {
    m_controls.rooms->clear();
    m_controls.number->clear();
    m_controls.layers->setCurrentIndex(-1);
    m_model->clear();
    m_controls.status->clear();
    m_shown = {};
    m_shown.hall = m_controls.halls->currentText();
    m_controls.rooms->addItems(m_service.rooms(m_shown.hall));
    m_controls.rooms->setCurrentIndex(-1);
}

void NicheListWindow::chooseRoom() {
    m_controls.number->clear();
    m_controls.layers->setCurrentIndex(-1);
    show(m_service.room(m_controls.halls->currentText(), m_controls.rooms->currentText()));
}

void NicheListWindow::chooseLayer() {
    show(m_service.layer(m_controls.halls->currentText(), m_controls.rooms->currentText(),
                         m_controls.layers->currentText()));
}

void NicheListWindow::searchNumber() {
    if (Money::parseLeading(m_controls.number->text()) == 0)
        return;
    // The list no longer shows a layer.
    m_controls.layers->setCurrentIndex(-1);
    show(m_service.number(m_controls.halls->currentText(), m_controls.rooms->currentText(),
                          m_controls.number->text()));
}

void NicheListWindow::show(const NicheList& list) {
    m_shown = list;
    m_model->setNiches(list.niches);
    if (!list.status.isEmpty())
        m_controls.status->setText(list.status);
}

void NicheListWindow::showAgain() {
    if (m_shown.room.isEmpty())
        return;
    const QString current = m_controls.list->currentIndex().data(Qt::DisplayRole).toString();
    show(m_service.again(m_shown));
    const QModelIndexList same = current.isEmpty() ? QModelIndexList()
                                                   : m_model->match(m_model->index(0, 0), Qt::DisplayRole,
                                                                    current, 1, Qt::MatchExactly);
    if (!same.isEmpty())
        m_controls.list->setCurrentIndex(same.first());
}

void NicheListWindow::pickCurrent() {
    const QModelIndex index = m_controls.list->currentIndex();
    if (index.isValid())
        pick(index.data(Qt::DisplayRole).toString());
}

void NicheListWindow::printList() {
    if (m_model->rowCount() > 0)
        m_context.printBridge.print(m_service.listPrint(m_shown));
}
