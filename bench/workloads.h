#pragma once

#include "business/purchaseservice.h"
#include "graves/plotsetupservice.h"

#include <QStringList>

// The work more than one measurement times: the same save or run, in different settings.

// A sale of the free plot `plotKey` with the usual fees, dated `today`.
PurchaseForm benchPurchase(const QString& plotKey, int number, const QDate& today);

// The times of `count` purchase saves, of the last free plots, each by Admin; stops the measurement when
// one is not saved.
QList<double> timePurchases(Database& database, int count);

constexpr int runLength = 10000;
// A run of runLength single graves numbered from 1 in the new row `row` of the bench's area.
PlotSetupInput runInNewRow(const QString& row);

// Adds an area of 5,000 plots of every style, three in five sold, with 4,500 register rows; returns its name.
QString addSoldArea(Database& database);

// Shows nothing; keeps the result lines to check the work was done.
class QuietView : public PlotSetupView {
public:
    QStringList results;

    void showStatus(const QString&) override {}
    void showResults(const QStringList& lines) override { results = lines; }
    void setRowGroupEnabled(bool) override {}
    void showStartNumber(const QString&) override {}
    void showDeleteRange(const QString&, const QString&) override {}
    void runLong(Pass, const Work& work) override {
        work([] {});
    }
};
