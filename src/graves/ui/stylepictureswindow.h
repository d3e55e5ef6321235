#pragma once

#include "graves/stylepicturesservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
namespace Ui {
class mdpic_frm;
}

// mdpic_frm "墓地图示": up to six illustrations with captions for each grave style, to show
// customers what a style looks like. A right click on a slot chooses its picture file; a double
// click shows it enlarged.
class StylePicturesWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"mdpic_frm"};

    explicit StylePicturesWindow(AppContext& context, QWidget* parent = nullptr);
    ~StylePicturesWindow() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Slot {
        QGroupBox* frame;
        QLabel* image; // its tool tip holds the path of the slot's file; none: no picture
        QLineEdit* caption;
    };

    QString letter() const;
    // Shows the style of the selected tab as stored.
    void showStyle();
    // A file that cannot be read keeps its slot and path, shown by a placeholder.
    void setPicture(const Slot& slot, const QString& path);
    void choosePicture(const Slot& slot);
    void save();
    void enlarge(const Slot& slot);
    void shrink();

    StylePicturesService m_service;
    std::unique_ptr<Ui::mdpic_frm> m_ui;
    QList<Slot> m_slots;
};
