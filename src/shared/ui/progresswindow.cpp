#include "shared/ui/progresswindow.h"

#include "ui_progresswindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScopeGuard>
#include <QTimer>

ProgressWindow::ProgressWindow(QWidget* parent, bool writing)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_ui(std::make_unique<Ui::Frm_chk>()), m_start(new QTimer(this)), m_animation(new QTimer(this)) {
    m_ui->setupUi(this);
    if (writing)
        m_ui->Label1->setText(QStringLiteral("检测已通过，现在正在写入数据"));
    m_ui->Picture1->setPixmap(pictures().first());
    m_start->setObjectName(QStringLiteral("Timer1"));
    m_start->setSingleShot(true);
    m_start->setInterval(1);
    m_animation->setObjectName(QStringLiteral("Timer2"));
    m_animation->setInterval(100);
    connect(m_animation, &QTimer::timeout, this, &ProgressWindow::showNextPicture);
    m_animation->start();
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::run(QWidget* owner, bool writing, const Work& work) {
    ProgressWindow window(owner ? owner->window() : nullptr, writing);
    std::exception_ptr failure;
    connect(window.m_start, &QTimer::timeout, &window, [&] {
        // Repainting now and then keeps the animation going; more often would only slow the work.
        QElapsedTimer sinceRepaint;
        sinceRepaint.start();
        try {
            work([&] {
                if (sinceRepaint.elapsed() >= 40) {
                    QCoreApplication::processEvents();
                    sinceRepaint.restart();
                }
            });
        } catch (...) {
            // An exception must not cross the event loop; it is passed on once the window has closed.
            failure = std::current_exception();
        }
        QGuiApplication::restoreOverrideCursor();
        window.accept();
    });
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    window.m_start->start();
    window.exec();
    if (failure)
        std::rethrow_exception(failure);
}

void ProgressWindow::runPass(QWidget* owner, QWidget* statusLine, SetupView::Pass pass, const Work& work) {
    if (pass != SetupView::Pass::Busy) {
        run(owner, pass == SetupView::Pass::Write, work);
        return;
    }
    // Without the modal progress window the screen is not refreshed during the work, so that no
    // click can start a second action inside this one; the status line is painted before it starts.
    statusLine->repaint();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    work([] {});
}

void ProgressWindow::reject() {}

void ProgressWindow::showNextPicture() {
    m_picture = (m_picture + 1) % pictures().size();
    m_ui->Picture1->setPixmap(pictures().at(m_picture));
}

const QList<QPixmap>& ProgressWindow::pictures() {
    // A ring of sixteen dots; in picture n dot n is darkest and the dots it has passed fade behind it.
    static const QList<QPixmap> all = [] {
        constexpr int count = 16;
        constexpr int size = 48;
        QList<QPixmap> pictures;
        for (int picture = 0; picture < count; ++picture) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.translate(size / 2.0, size / 2.0);
            for (int dot = 0; dot < count; ++dot) {
                const int behind = (picture - dot + count) % count;
                const int shade = behind < 6 ? 40 + behind * 30 : 215;
                painter.setBrush(QColor(shade, shade, std::min(255, shade + 40)));
                painter.save();
                painter.rotate(dot * 360.0 / count);
                painter.drawEllipse(QPointF(0, -18), behind == 0 ? 4.0 : 3.0, behind == 0 ? 4.0 : 3.0);
                painter.restore();
            }
            pictures << pixmap;
        }
        return pictures;
    }();
    return all;
}
