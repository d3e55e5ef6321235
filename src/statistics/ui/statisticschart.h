#pragma once

#include "statistics/tally.h"

#include <QChartView>

class Prompter;

// The chart of a statistics window: bars or a pie of the counted figures, labelled in the office's
// words. Its context menu saves the chart as a PNG picture.
class StatisticsChart : public QChartView {
    Q_OBJECT
public:
    explicit StatisticsChart(QWidget* parent = nullptr);

    // Once: how the operator is asked for a file name and told of a failure, and the name a saved
    // picture is offered under.
    void attach(Prompter& prompter, const QString& name) {
        m_prompter = &prompter;
        m_name = name;
    }
    // One bar per figure, its count above it; with shares, each bar's label carries its percentage.
    void showBars(const QList<Figure>& figures, bool withShares);
    // One slice per figure, labelled with its count and percentage.
    void showPie(const QList<Figure>& figures);
    // Asks for a file name and writes the chart there as a PNG picture.
    void saveAsPng();

private:
    Prompter* m_prompter = nullptr;
    QString m_name;
};
