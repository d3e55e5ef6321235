#include "admin/ui/reportlisteditorwindow.h"

#include "shared/rights.h"
#include "ui_reportlisteditorwindow.h"

namespace {

// A catalogue line: the caption, then the name in the last ten characters.
QStringList catalogueLines() {
    QStringList lines;
    for (const ReportEntry& entry : Rights::reportCatalogue())
        lines << entry.caption + QStringLiteral("  ") + entry.name.rightJustified(10);
    return lines;
}

QString nameAt(int row) {
    return Rights::reportCatalogue().at(row).name;
}

RightsTextRules reportListRules() {
    return {ReportListText::grantedReports,
            [](const QString& text, int row) { return ReportListText::added(text, nameAt(row)); },
            [](const QString& text, int row) { return ReportListText::removed(text, nameAt(row)); },
            [](const QString&) { return Rights::fullReportList(); },
            QStringLiteral("")}; // 全删 leaves an empty list, not Null
}

} // namespace

ReportListEditorWindow::ReportListEditorWindow(AppContext& context, QWidget* parent)
    : RightsEditorWindow(context, QStringLiteral("打印报表"), reportListRules(),
                         warning(QStringLiteral("     该项已经存在此用户的打印列表中！    ")),
                         notice(QStringLiteral("请在操作员打印报表列表中选中要删除的项！")), parent),
      m_ui(std::make_unique<Ui::report_frm>()) {
    m_ui->setupUi(this);
    attach({m_ui->czr_cbox, m_ui->aitem_list, m_ui->item_list, m_ui->sel_btn, m_ui->del_btn, m_ui->asel_btn,
            m_ui->adel_btn},
           catalogueLines());
}

ReportListEditorWindow::~ReportListEditorWindow() = default;
