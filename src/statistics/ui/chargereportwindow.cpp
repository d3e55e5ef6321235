#include "statistics/ui/chargereportwindow.h"

#include "foundation/clock.h"
#include "ui_chargereportwindow.h"

#include <QRadioButton>

ChargeReportWindow::ChargeReportWindow(AppContext& context, const char* name, const QString& title,
                                       const QString& choicesCaption, const QList<ChargeReport>& reports,
                                       QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::ChargeReportForm>()), m_reports(reports) {
    setObjectName(QString::fromLatin1(name));
    m_ui->setupUi(this);
    setWindowTitle(title);
    m_ui->Frame1->setTitle(choicesCaption);
    for (const ChargeReport& report : reports) {
        auto* option = new QRadioButton(report.caption, m_ui->Frame1);
        option->setObjectName(report.option);
        m_ui->Frame1->layout()->addWidget(option);
        m_options << option;
    }
    m_ui->DTP1->setDate(context.clock.today());
    m_ui->DTP2->setDate(context.clock.today());
    on(m_ui->Command1, &QPushButton::clicked, &ChargeReportWindow::print);
    on(m_ui->Command2, &QPushButton::clicked, &ChargeReportWindow::closeWindow);
}

ChargeReportWindow::~ChargeReportWindow() = default;

void ChargeReportWindow::print() {
    for (qsizetype at = 0; at < m_options.size(); ++at)
        if (m_options.at(at)->isChecked()) {
            showOutcome(ChargeReports::print(m_context.session, m_reports.at(at),
                                             {m_ui->DTP1->date(), m_ui->DTP2->date()}));
            return;
        }
}

CemeteryChargeWindow::CemeteryChargeWindow(AppContext& context, QWidget* parent)
    : ChargeReportWindow(context, traits.name, QStringLiteral("收费统计"), QStringLiteral("收退费选择"),
                         ChargeReports::cemetery(), parent) {}

ColumbariumChargeWindow::ColumbariumChargeWindow(AppContext& context, QWidget* parent)
    : ChargeReportWindow(context, traits.name, QStringLiteral("寄存收费统计"), QStringLiteral("选择统计项目"),
                         ChargeReports::columbarium(), parent) {}
