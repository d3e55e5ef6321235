#include "admin/ui/acknowledgementswindow.h"

#include "admin/ui/aboutpictures.h"
#include "ui_acknowledgementswindow.h"

#include <QEvent>
#include <QTimer>

AcknowledgementsWindow::AcknowledgementsWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_mmxx>()), m_timer(new QTimer(this)) {
    m_ui->setupUi(this);
    setFocusPolicy(Qt::StrongFocus);
    for (int which = 0; which < 2; ++which) {
        QLabel* picture = which == 0 ? m_ui->Image1 : m_ui->Image2;
        picture->setPixmap(AboutPictures::thanksBand(which, width()));
        picture->resize(picture->pixmap().size());
        picture->installEventFilter(this);
    }
    m_ui->Image1->move(0, 0);
    m_ui->Image2->move(0, m_ui->Image1->height());
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(20);
    connect(m_timer, &QTimer::timeout, this, &AcknowledgementsWindow::scroll);
    m_timer->start();
}

AcknowledgementsWindow::~AcknowledgementsWindow() = default;

void AcknowledgementsWindow::scroll() {
    QLabel* first = m_ui->Image1;
    QLabel* second = m_ui->Image2;
    const int step = twipsToPixels(10);
    first->move(0, first->y() - step);
    second->move(0, second->y() - step);
    // Whichever band has run past the bottom edge joins the end of the other one.
    if (second->y() + second->height() < height())
        first->move(0, second->y() + second->height());
    if (first->y() + first->height() < height())
        second->move(0, first->y() + first->height());
}

void AcknowledgementsWindow::keyPressEvent(QKeyEvent*) {
    closeWindow();
}

bool AcknowledgementsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        closeWindow();
        return true;
    }
    return TaskWindow::eventFilter(watched, event);
}
