#include "admin/ui/permissioneditorwindow.h"

#include "shared/rights.h"
#include "ui_permissioneditorwindow.h"

namespace {
// The record-right bits of an item's digit, beside the tick box of each.
constexpr int addBit = 2;
constexpr int modifyBit = 4;
constexpr int deleteBit = 8;

// Catalogue rows are items less one.
RightsTextRules permissionRules() {
    return {[](const QString& text) {
                QList<int> rows;
                for (int item : PermissionText::grantedItems(text))
                    rows << item - 1;
                return rows;
            },
            [](const QString& text, int row) { return PermissionText::granted(text, row + 1); },
            [](const QString& text, int row) { return PermissionText::revoked(text, row + 1); },
            PermissionText::allGranted, PermissionText::normalised(QString())};
}
} // namespace

PermissionEditorWindow::PermissionEditorWindow(AppContext& context, QWidget* parent)
    : RightsEditorWindow(context, QStringLiteral("权限字符"), permissionRules(),
                         warning(QStringLiteral("    该项已经存在权限列表中！    ")),
                         notice(QStringLiteral("请在操作员权限列表中选中要删除的项！")), parent),
      m_ui(std::make_unique<Ui::power_frm>()) {
    m_ui->setupUi(this);
    attach({m_ui->czr_cbox, m_ui->aitem_list, m_ui->item_list, m_ui->sel_btn, m_ui->del_btn, m_ui->asel_btn,
            m_ui->adel_btn},
           Rights::itemCaptions());
    // clicked, not toggled: showing a grant's digit must not write it.
    on(m_ui->add_check, &QCheckBox::clicked, [this] { setBit(addBit, m_ui->add_check->isChecked()); });
    on(m_ui->edit_check, &QCheckBox::clicked, [this] { setBit(modifyBit, m_ui->edit_check->isChecked()); });
    on(m_ui->del_check, &QCheckBox::clicked, [this] { setBit(deleteBit, m_ui->del_check->isChecked()); });
}

PermissionEditorWindow::~PermissionEditorWindow() = default;

void PermissionEditorWindow::grantChosen(int row) {
    const int digit = row < 0 ? 0 : Rights::permissionDigit(text(), row + 1);
    m_ui->add_check->setChecked(digit & addBit);
    m_ui->edit_check->setChecked(digit & modifyBit);
    m_ui->del_check->setChecked(digit & deleteBit);
}

void PermissionEditorWindow::setBit(int bit, bool set) {
    const int row = chosenGrant();
    if (row >= 0)
        store(PermissionText::withBit(text(), row + 1, bit, set), row);
}
