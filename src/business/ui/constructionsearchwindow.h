#pragma once

#include "business/constructionsearch.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

class FieldOptions;
namespace Ui {
class ConstructionSearchForm;
}

constexpr const char* constructionSearchWindow(ConstructionSheet sheet) {
    return sheet == ConstructionSheet::Order ? "Frm_sgcx" : "Frm_jgcx";
}

// The orders or acceptances, all of them or those whose chosen column holds the text typed.
class ConstructionSearchWindow : public TaskWindow {
    Q_OBJECT
public:
    ~ConstructionSearchWindow() override;

protected:
    ConstructionSearchWindow(AppContext& context, ConstructionSheet sheet, QWidget* parent);

private:
    void search();

    ConstructionSheet m_sheet;
    std::unique_ptr<Ui::ConstructionSearchForm> m_ui;
    std::unique_ptr<FieldOptions> m_options;
};

// Frm_sgcx "施工查询" on the orders, Frm_jgcx "竣工查询" on the acceptances, as the host opens them by type.
template <ConstructionSheet Sheet> class ConstructionSearchWindowOf final : public ConstructionSearchWindow {
public:
    static constexpr TaskWindowTraits traits{constructionSearchWindow(Sheet)};
    explicit ConstructionSearchWindowOf(AppContext& context, QWidget* parent = nullptr)
        : ConstructionSearchWindow(context, Sheet, parent) {}
};
