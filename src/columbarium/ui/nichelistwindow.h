#pragma once

#include "columbarium/nichebrowseservice.h"

#include "foundation/ui/taskwindow.h"

class NicheGridModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

// The controls both niche browse forms carry under the same names.
struct NicheListControls {
    QComboBox* halls;  // Combo1
    QComboBox* rooms;  // Combo2
    QComboBox* layers; // Combo3
    QLineEdit* number; // Text1
    QListView* list;   // LV1
    QLabel* status;    // Bar1
    QPushButton* print;
    QPushButton* quit;
};

template <typename Form> NicheListControls nicheListControls(const Form& ui) {
    return {ui.Combo1, ui.Combo2, ui.Combo3, ui.Text1, ui.LV1, ui.Bar1, ui.Command2, ui.Command1};
}

// What the niche browse windows share: a hall and room chosen, narrowed to a layer or looked up by
// number, the niches as icons, the list print; a double click or Enter on a niche picks it.
class NicheListWindow : public TaskWindow {
    Q_OBJECT
public:
    ~NicheListWindow() override;

protected:
    NicheListWindow(AppContext& context, NicheListing listing, QWidget* parent);
    // Once, from the constructor of the window, after its form is set up.
    void attach(const NicheListControls& controls);
    NicheBrowseService& service() { return m_service; }
    // What the window does with the niche `key` the operator picked.
    virtual void pick(const QString& key) = 0;

    // Enter in the number box looks the number up; Enter in the list picks the niche.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseHall();
    void chooseRoom();
    void chooseLayer();
    void searchNumber();
    void show(const NicheList& list);
    // Reads the list shown again, keeping the niche picked where it is still listed.
    void showAgain();
    void pickCurrent();
    void printList();

    NicheBrowseService m_service;
    NicheListControls m_controls{};
    NicheGridModel* m_model;
    NicheList m_shown;
};
