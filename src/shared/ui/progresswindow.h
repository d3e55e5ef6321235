#pragma once

#include "shared/setupview.h"

#include <QDialog>
#include <QList>
#include <QPixmap>
#include <functional>
#include <memory>

class QTimer;
namespace Ui {
class Frm_chk;
}

// Frm_chk: the small modal window of the plot and niche set-up, with a waiting animation that covers a long
// pass of work. The work runs inside the event loop of the window, without a worker thread, and lets the
// screen repaint whenever it calls the `breathe` it is given.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    using Breathe = SetupView::Breathe;
    using Work = SetupView::Work;

    // Shows the window over `owner`'s top window while `work` runs and closes it when the work is
    // done. `writing` shows that the check has passed and the data are being written. An exception
    // from the work comes out of here once the window has closed.
    static void run(QWidget* owner, bool writing, const Work& work);
    // A set-up window's long work: the duplicate check and the write behind this window, any other
    // pass under the busy pointer after `statusLine` has been painted.
    static void runPass(QWidget* owner, QWidget* statusLine, SetupView::Pass pass, const Work& work);

    // The 16 pictures of the animation, shown in turn every 100 ms.
    static const QList<QPixmap>& pictures();

    ~ProgressWindow() override;

protected:
    // The work cannot be stopped half-way: Esc and the close box do nothing.
    void reject() override;

private:
    ProgressWindow(QWidget* parent, bool writing);
    void showNextPicture();

    std::unique_ptr<Ui::Frm_chk> m_ui;
    QTimer* m_start;
    QTimer* m_animation;
    int m_picture = 0;
};
