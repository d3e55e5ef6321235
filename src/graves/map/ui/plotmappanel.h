#pragma once

#include "graves/map/plotmapservice.h"
#include "graves/map/ui/plotpictures.h"

#include <QModelIndex>
#include <QWidget>
#include <functional>
#include <memory>

class Database;
class PlotMapModel;
namespace Ui {
class PlotMapPanel;
}

// The body every plot map shares: the filter bar (area, row, style, number, and for some a range),
// the icon grid, the legend of its pictures and the status line with the counts. A window puts
// one in its form and starts it for its use.
class PlotMapPanel : public QWidget {
    Q_OBJECT
public:
    // What a window's map is for: its use, its pictures, the filters it offers and what a pick does.
    struct Setup {
        MapUse use;
        const PlotPictures::PictureSet* pictures = nullptr;
        bool filtersStyle = true;   // the bar offers the style filter
        bool searchesRange = false; // a second box takes the last number of a range
        // The icon picked by double-click or Enter; none: icons are not picked.
        std::function<void(const QModelIndex&)> pick;
    };
    // Runs an action the way its window runs every action, so that a failure becomes a message.
    using Guard = std::function<bool(const std::function<void()>&)>;

    explicit PlotMapPanel(QWidget* parent = nullptr);
    ~PlotMapPanel() override;

    // Loads the area list, empties the number boxes and connects the controls through `guard`.
    void start(Database& database, Setup setup, Guard guard);

    // The area, row and style chosen last; the area is empty before one is chosen.
    const MapFilter& choice() const { return m_choice; }
    // What the icons show: the choice, or the number or range searched since.
    const MapFilter& shown() const { return m_shown; }
    // The icons the grid holds.
    int iconCount() const;
    // Reads what is shown again, with the counts when it is a choice, keeping the plot picked.
    void showAgain();
    PlotMapService& service() { return *m_service; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseArea();
    void choose(const MapFilter& filter);
    // The number in Mask1, or with `range` the numbers from Mask1 to Mask2, of the chosen row.
    void search(bool range);
    void show(const MapFilter& filter);

    std::unique_ptr<Ui::PlotMapPanel> m_ui;
    std::unique_ptr<PlotMapService> m_service;
    PlotMapModel* m_model;
    Setup m_setup;
    Guard m_guard;
    MapFilter m_choice;
    MapFilter m_shown;
};
