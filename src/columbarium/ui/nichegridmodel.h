#pragma once

#include "columbarium/nichebrowseservice.h"

#include <QAbstractListModel>

// The icons of a niche list: one item per niche, captioned with its key and pictured by its style;
// each item also carries its "K" key (K1, K2, … in list order).
class NicheGridModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { IconKeyRole = Qt::UserRole, PictureRole };

    using QAbstractListModel::QAbstractListModel;

    void setNiches(const QList<ListedNiche>& niches);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QList<ListedNiche> m_niches;
};
