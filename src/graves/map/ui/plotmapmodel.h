#pragma once

#include "graves/map/plotmapservice.h"
#include "graves/map/ui/plotpictures.h"

#include <QAbstractListModel>

// The icons of a plot map: one item per plot that has a picture. The caption is the plot key;
// each item also carries its "K" key, its tag (1 free, 2 reserved) and its area.
class PlotMapModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { TagRole = Qt::UserRole, IconKeyRole, PictureRole, AreaRole };

    using QAbstractListModel::QAbstractListModel;

    // The picture set the icon numbers of the plots refer to; the sale map's unless set.
    void setPictures(const PlotPictures::PictureSet& pictures) { m_pictures = &pictures; }
    // Shows the plots that have a picture, in the order given.
    void setPlots(const QList<MapPlot>& plots);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QList<MapPlot> m_plots;
    const PlotPictures::PictureSet* m_pictures = &PlotPictures::sale();
};
