#include "columbarium/ui/nichegridmodel.h"

#include "columbarium/ui/nichepictures.h"

void NicheGridModel::setNiches(const QList<ListedNiche>& niches) {
    beginResetModel();
    m_niches = niches;
    endResetModel();
}

void NicheGridModel::clear() {
    setNiches({});
}

int NicheGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_niches.size());
}

QVariant NicheGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ListedNiche& niche = m_niches.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return niche.key;
    case Qt::DecorationRole:
        return NichePictures::pixmap(NichePictures::numberFor(niche.style));
    case IconKeyRole:
        return QStringLiteral("K%1").arg(index.row() + 1);
    case PictureRole:
        return NichePictures::numberFor(niche.style);
    default:
        return {};
    }
}
