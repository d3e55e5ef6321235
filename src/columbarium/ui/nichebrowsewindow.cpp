#include "columbarium/ui/nichebrowsewindow.h"

#include "columbarium/ui/nichegridmodel.h"
#include "columbarium/ui/nichepictures.h"
#include "columbarium/ui/storageregistrationwindow.h"
#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/session.h"
#include "ui_nichebrowsewindow.h"

#include <QKeyEvent>

NicheBrowseWindow::NicheBrowseWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database), m_ui(std::make_unique<Ui::Frm_bljc>()),
      m_model(new NicheGridModel(this)) {
    m_ui->setupUi(this);
    m_ui->LV1->setModel(m_model);
    m_ui->LV1->setIconSize(QSize(NichePictures::size, NichePictures::size));
    m_ui->LV1->installEventFilter(this);
    m_ui->Text1->installEventFilter(this);
    for (int layer = 1; layer <= 20; ++layer)
        m_ui->Combo3->addItem(QString::number(layer));
    m_ui->Combo3->setCurrentIndex(-1);
    m_ui->Combo1->addItems(m_service.halls());
    m_ui->Combo1->setCurrentIndex(-1);

    on(m_ui->Combo1, &QComboBox::activated, &NicheBrowseWindow::chooseHall);
    on(m_ui->Combo2, &QComboBox::activated, &NicheBrowseWindow::chooseRoom);
    on(m_ui->Combo3, &QComboBox::activated, &NicheBrowseWindow::chooseLayer);
    on(m_ui->LV1, &QListView::doubleClicked, &NicheBrowseWindow::pickCurrent);
    on(m_ui->Command2, &QPushButton::clicked, &NicheBrowseWindow::printFreeList);
    on(m_ui->Command1, &QPushButton::clicked, &NicheBrowseWindow::closeWindow);
    // A niche stored, set up or deleted in the hall shown makes the list untrue: it is emptied.
    connect(&context.database.changes(), &ChangeNotifier::changed, this,
            [this](ChangeNotifier::Subject subject, const QString& hall) {
                if (subject == ChangeNotifier::Subject::Niches && hall == m_shown.hall)
                    m_model->clear();
            });
}

NicheBrowseWindow::~NicheBrowseWindow() = default;

bool NicheBrowseWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_ui->LV1 || watched == m_ui->Text1) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([this, watched] { watched == m_ui->LV1 ? pickCurrent() : searchNumber(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void NicheBrowseWindow::chooseHall() {
    m_ui->Combo2->clear();
    m_ui->Text1->clear();
    m_model->clear();
    m_ui->Bar1->clear();
    m_shown = {};
    m_shown.hall = m_ui->Combo1->currentText();
    m_ui->Combo2->addItems(m_service.rooms(m_shown.hall));
    m_ui->Combo2->setCurrentIndex(-1);
}

void NicheBrowseWindow::chooseRoom() {
    m_ui->Text1->clear();
    show(m_service.room(m_ui->Combo1->currentText(), m_ui->Combo2->currentText()));
}

void NicheBrowseWindow::chooseLayer() {
    show(m_service.layer(m_ui->Combo1->currentText(), m_ui->Combo2->currentText(),
                         m_ui->Combo3->currentText()));
}

void NicheBrowseWindow::searchNumber() {
    if (Money::parseLeading(m_ui->Text1->text()) == 0)
        return;
    show(m_service.number(m_ui->Combo1->currentText(), m_ui->Combo2->currentText(), m_ui->Text1->text()));
}

void NicheBrowseWindow::show(const NicheList& list) {
    m_shown = list;
    m_model->setNiches(list.niches);
    if (!list.status.isEmpty())
        m_ui->Bar1->setText(list.status);
}

void NicheBrowseWindow::pickCurrent() {
    const QModelIndex index = m_ui->LV1->currentIndex();
    if (!index.isValid())
        return;
    const std::optional<PickedNiche> picked = m_service.pick(index.data(Qt::DisplayRole).toString());
    if (!picked || m_context.prompter.ask(QStringLiteral("寄存入档"),
                                          NicheBrowseService::question(*picked)) != Prompter::Answer::Yes)
        return;
    m_context.session.chosenNiche = picked->niche;
    m_context.host.open<StorageRegistrationWindow>()->takeChosenNiche();
}

void NicheBrowseWindow::printFreeList() {
    if (m_model->rowCount() > 0)
        m_context.printBridge.print(NicheBrowseService::freeList(m_shown));
}
