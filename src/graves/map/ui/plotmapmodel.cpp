#include "graves/map/ui/plotmapmodel.h"

void PlotMapModel::setPlots(const QList<MapPlot>& plots) {
    beginResetModel();
    m_plots.clear();
    m_plots.reserve(plots.size());
    for (const MapPlot& plot : plots)
        if (plot.icon.picture > 0)
            m_plots << plot;
    endResetModel();
}

void PlotMapModel::clear() {
    beginResetModel();
    m_plots.clear();
    endResetModel();
}

int PlotMapModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_plots.size());
}

QVariant PlotMapModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const MapPlot& plot = m_plots.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return plot.key;
    case Qt::DecorationRole:
        if (const std::optional<PlotPictures::Look> look = m_pictures->look(plot.icon.picture))
            return PlotPictures::pixmap(*look);
        return {};
    case TagRole:
        return plot.icon.tag;
    case IconKeyRole:
        return QStringLiteral("K%1").arg(plot.position);
    case PictureRole:
        return plot.icon.picture;
    case AreaRole:
        return plot.area;
    default:
        return {};
    }
}
