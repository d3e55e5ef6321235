#pragma once

#include "columbarium/storagerecord.h"
#include "foundation/ui/fieldbinding.h"

#include <QWidget>
#include <memory>

namespace Ui {
class StorageFields;
}

// The niche, deceased, contact and fee fields of the storage windows (registration and maintenance),
// with the 报表不显示出生日期 tick. Changing the start date moves the end date 20 years on.
class StorageFields : public QWidget {
    Q_OBJECT
public:
    explicit StorageFields(QWidget* parent = nullptr);
    ~StorageFields() override;

    void setRelations(const QStringList& relations);
    // The caption of the urn type field, which the maintenance words its own way.
    void setUrnTypeCaption(const QString& caption);
    StorageForm form() const;
    // Every field from `form`; the end date after the start date, so that it is not moved on.
    void fill(const StorageForm& form);

private:
    std::unique_ptr<Ui::StorageFields> m_ui;
    FieldBinding<StorageForm> m_binding;
};
