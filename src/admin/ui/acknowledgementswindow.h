#pragma once

#include "foundation/ui/taskwindow.h"

#include <memory>

class QTimer;

namespace Ui {
class Frm_mmxx;
}

// Frm_mmxx (鸣谢): two bands of thanks scroll upward without end; a key or a click closes the window.
class AcknowledgementsWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_mmxx", {}, true};

    explicit AcknowledgementsWindow(AppContext& context, QWidget* parent = nullptr);
    ~AcknowledgementsWindow() override;

    // One tick of the scrolling.
    void scroll();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::Frm_mmxx> m_ui;
    QTimer* m_timer;
};
