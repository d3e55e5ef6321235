#include "statistics/ui/statisticschart.h"

#include "foundation/prompter.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QDir>
#include <QPieSeries>
#include <QStandardPaths>
#include <QValueAxis>

namespace {

const QString saveCaption = QStringLiteral("保存图表");

} // namespace

StatisticsChart::StatisticsChart(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    auto* save = new QAction(QStringLiteral("保存为 PNG 图片…"), this);
    connect(save, &QAction::triggered, this, &StatisticsChart::saveAsPng);
    addAction(save);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void StatisticsChart::showBars(const QList<Figure>& figures, bool withShares) {
    auto* chart = new QChart;
    auto* bars = new QBarSet(QStringLiteral("数量"));
    QStringList labels;
    qint64 highest = 0;
    for (const Figure& figure : figures) {
        *bars << static_cast<qreal>(figure.count);
        labels << (withShares ? figure.label + QLatin1Char('\n') + Tally::percent(figure.share)
                              : figure.label);
        highest = std::max(highest, figure.count);
    }
    auto* series = new QBarSeries;
    series->append(bars);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsPrecision(18); // whole counts, never in exponent form
    chart->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    auto* counts = new QValueAxis;
    counts->setLabelFormat(QStringLiteral("%.0f"));
    // Room above the highest bar for its label.
    counts->setRange(0, std::max<qreal>(1, static_cast<qreal>(highest) * 1.15));
    chart->addAxis(counts, Qt::AlignLeft);
    series->attachAxis(counts);
    chart->legend()->hide();
    QChart* old = this->chart();
    setChart(chart);
    delete old;
}

void StatisticsChart::showPie(const QList<Figure>& figures) {
    auto* chart = new QChart;
    auto* pie = new QPieSeries;
    for (const Figure& figure : figures) {
        QPieSlice* slice = pie->append(QStringLiteral("%1 %2 (%3)")
                                           .arg(figure.label)
                                           .arg(figure.count)
                                           .arg(Tally::percent(figure.share)),
                                       static_cast<qreal>(figure.count));
        slice->setLabelVisible(true);
    }
    chart->addSeries(pie);
    chart->legend()->setAlignment(Qt::AlignRight);
    QChart* old = this->chart();
    setChart(chart);
    delete old;
}

void StatisticsChart::saveAsPng() {
    const QString suggested = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                  .filePath(m_name + QStringLiteral(".png"));
    const QString path = m_prompter->saveFileName(saveCaption, suggested, QStringLiteral("PNG 图片 (*.png)"));
    if (path.isEmpty())
        return;
    if (!grab().save(path, "PNG"))
        m_prompter->inform(Prompter::Icon::Critical, saveCaption,
                           QStringLiteral("无法写入文件 %1").arg(QDir::toNativeSeparators(path)));
}
