// Measurements of the change history: what recording every write costs the office's heaviest saves.
#include "bench/benchmark.h"
#include "bench/workloads.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "shared/session.h"

namespace {

// The same cemetery with and without the history, side by side. The copy without it loses its
// recording triggers and the context they read, so that the database does not record at all; its other
// triggers (the name pieces) stay, as they are no part of the history's cost.
struct TwoCopies {
    Database recording;
    Database plain;

    TwoCopies(Bench& bench, const QString& name)
        : recording(bench.cemeteryCopy(name + QStringLiteral("-on")), Database::Mode::Open),
          plain(withoutHistory(bench.cemeteryCopy(name + QStringLiteral("-off"))), Database::Mode::Open) {}

    static QString withoutHistory(const QString& file) {
        Database database(file, Database::Mode::Open);
        database.transaction([&] {
            const QStringList triggers = database.texts(
                QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' AND tbl_name <> "
                               "'change_history' AND name LIKE '%\\_history\\_%' ESCAPE '\\'"),
                {}, QStringLiteral("去掉操作记录"));
            for (const QString& trigger : triggers)
                database.exec(QStringLiteral("DROP TRIGGER ") + trigger, {}, QStringLiteral("去掉操作记录"));
            database.exec(QStringLiteral("DROP TABLE change_context"), {}, QStringLiteral("去掉操作记录"));
        });
        return file;
    }
};

void printComparison(QTextStream& out, const QList<double>& on, const QList<double>& off, const char* goal) {
    const double ratio = median(on) / median(off);
    out << "  with the history:     " << milliseconds(median(on)) << '\n'
        << "  without it:           " << milliseconds(median(off)) << '\n'
        << "  ratio:                " << QString::number(ratio, 'f', 2) << "  (goal: at most " << goal << ")"
        << Qt::endl;
}

void history(Bench& bench) {
    const SystemClock clock;
    Session session;
    session.operatorName = QStringLiteral("Admin");
    // The two settings take turns, so that a busy moment of the machine strikes both alike.
    QList<double> saveOn, saveOff;
    {
        TwoCopies copies(bench, QStringLiteral("history-purchase"));
        // Enough saves for a steady median of a few milliseconds each.
        const int saves = std::max(bench.repeats(), 15);
        const QStringList free = copies.recording.texts(
            QStringLiteral("SELECT 墓碑位置 FROM mq_wz WHERE 状态 = '未使用' ORDER BY rid DESC LIMIT ?"),
            {saves}, QStringLiteral("读取空墓位"));
        PurchaseService on({copies.recording, session, clock});
        PurchaseService off({copies.plain, session, clock});
        for (const QString& key : free) {
            const PurchaseForm form = benchPurchase(key, 1000 + saveOn.size(), clock.today());
            bool saved = true;
            saveOn << millisecondsOf([&] { saved = on.save(form).saved && saved; });
            saveOff << millisecondsOf([&] { saved = off.save(form).saved && saved; });
            if (!saved)
                fail(QStringLiteral("the purchase of %1 was not saved").arg(key));
        }
        if (copies.recording
                .scalar(QStringLiteral("SELECT count(*) FROM change_history WHERE 表 = 'gm_dj'"), {},
                        QStringLiteral("检查"))
                .toInt() != free.size())
            fail(QStringLiteral("the purchases were not recorded"));
    }
    QList<double> runOn, runOff;
    {
        TwoCopies copies(bench, QStringLiteral("history-setup-run"));
        YesPrompter prompter;
        QuietView view;
        PlotSetupService on(copies.recording, session, prompter);
        PlotSetupService off(copies.plain, session, prompter);
        for (int run = 1; run <= bench.repeats(); ++run) {
            const PlotSetupInput input = runInNewRow(QStringLiteral("新%1").arg(run));
            bool written = on.addRow(input) && off.addRow(input);
            runOn << millisecondsOf([&] { written = on.createRun(input, view) && written; });
            runOff << millisecondsOf([&] { written = off.createRun(input, view) && written; });
            if (!written)
                fail(QStringLiteral("the run was not written: ") + prompter.lastMessage);
        }
    }
    QTextStream& out = bench.out();
    out << "history: one purchase save on " << count(bench.cemetery().plots()) << " plots (median of "
        << saveOn.size() << ")\n";
    printComparison(out, saveOn, saveOff, "1.30");
    out << "history: a run of " << runLength << " plots in a new row (median of " << runOn.size() << ")\n";
    printComparison(out, runOn, runOff, "1.50");
}

} // namespace

Measurement historyMeasurement() {
    return {
        QStringLiteral("history"),
        QStringLiteral("one purchase save and a run of 10,000 plots, with the change history and without"),
        history};
}
