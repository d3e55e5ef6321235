#pragma once

#include "business/deceased.h"
#include "foundation/ui/fieldbinding.h"

#include <QStringList>
#include <QWidget>
#include <memory>

namespace Ui {
class DeceasedFieldsForm;
}

// The deceased and contact block of the burial and the records forms: 关于故者 and 关于联系人.
class DeceasedFields : public QWidget {
    Q_OBJECT
public:
    explicit DeceasedFields(QWidget* parent = nullptr);
    ~DeceasedFields() override;

    void setRelations(const QStringList& relations);
    DeceasedForm form() const;
    void fill(const DeceasedForm& person);
    QString contact() const;

private:
    std::unique_ptr<Ui::DeceasedFieldsForm> m_ui;
    FieldBinding<DeceasedForm> m_binding;
};
