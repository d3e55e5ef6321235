// Measurements of an office on a PostgreSQL server: the generated cemetery copied there as
// --copy-to-server copies it, then one purchase save, the sold-plot map of an area, a set-up run,
// four desks racing to buy the same plots, and a sale reaching another desk's open map.
#include "admin/servercopy.h"
#include "bench/benchmark.h"
#include "bench/workloads.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "graves/map/plotmapservice.h"
#include "graves/map/ui/plotmapmodel.h"
#include "shared/session.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <atomic>
#include <mutex>
#include <thread>

namespace {

// The server PGHOST, PGPORT and PGUSER name; its client library finds the password in ~/.pgpass.
bool haveServer(Bench& bench, const QString& measurement) {
    if (!qEnvironmentVariableIsEmpty("PGHOST"))
        return true;
    bench.out() << measurement << ": skipped, no PostgreSQL server (set PGHOST, PGPORT and PGUSER)"
                << Qt::endl;
    return false;
}

// A database on that server: the host and user left empty are the client library's to fill in.
DatabaseTarget serverDatabase(const QString& name) {
    DatabaseTarget target;
    target.engine = DatabaseTarget::Engine::PostgreSQL;
    target.port = qEnvironmentVariableIntValue("PGPORT") > 0 ? qEnvironmentVariableIntValue("PGPORT") : 5432;
    target.database = name;
    return target;
}

// Runs one of the server's client programs (createdb, dropdb).
void runClient(const QString& program, const QStringList& arguments) {
    QProcess client;
    client.start(program, arguments);
    if (!client.waitForFinished(-1) || client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0)
        fail(QStringLiteral("%1 %2 failed: %3")
                 .arg(program, arguments.join(u' '), QString::fromLocal8Bit(client.readAllStandardError())));
}

// A database of the measurement's own on the server, made as the office's README says and dropped at the
// end, holding the generated cemetery copied there from its file.
class ServerOffice {
public:
    ServerOffice(Bench& bench, const QString& name, const std::function<void(Database&)>& prepare = {})
        : m_target(serverDatabase(
              QStringLiteral("pelu_bench_%1_%2").arg(name).arg(QCoreApplication::applicationPid()))) {
        runClient(QStringLiteral("dropdb"), {QStringLiteral("--if-exists"), m_target.database});
        runClient(QStringLiteral("createdb"),
                  {QStringLiteral("--encoding=UTF8"), QStringLiteral("--lc-collate=C"),
                   QStringLiteral("--template=template0"), m_target.database});
        Database file(bench.cemeteryCopy(name), Database::Mode::Open);
        if (prepare)
            prepare(file);
        qint64 rows = 0;
        const double took = millisecondsOf([&] {
            Database server(m_target, Database::Mode::Empty);
            ServerCopy copy(file, server);
            copy.run();
            rows =
                server
                    .scalar(QStringLiteral("SELECT COUNT(*) FROM change_history"), {}, QStringLiteral("检查"))
                    .toLongLong();
            m_report = copy.report().last();
        });
        bench.out() << "  --copy-to-server of the generated office (" << rows
                    << " history rows among them): " << milliseconds(took) << "\n  " << m_report << Qt::endl;
    }
    ~ServerOffice() {
        try {
            runClient(QStringLiteral("dropdb"),
                      {QStringLiteral("--if-exists"), QStringLiteral("--force"), m_target.database});
        } catch (const std::exception&) {
            // A database left behind is named by its measurement and process; nothing to stop for.
        }
    }
    ServerOffice(const ServerOffice&) = delete;
    ServerOffice& operator=(const ServerOffice&) = delete;
    const DatabaseTarget& target() const { return m_target; }

private:
    DatabaseTarget m_target;
    QString m_report;
};

void serverPurchase(Bench& bench) {
    if (!haveServer(bench, QStringLiteral("pg-purchase")))
        return;
    bench.out() << "pg-purchase:" << Qt::endl;
    ServerOffice office(bench, QStringLiteral("purchase"));
    Database database(office.target(), Database::Mode::Open);
    const int plots =
        database.scalar(QStringLiteral("SELECT COUNT(*) FROM mq_wz"), {}, QStringLiteral("检查")).toInt();
    const QList<double> times = timePurchases(database, bench.repeats());
    bench.out() << "  one purchase save on " << plots << " plots (median of " << times.size()
                << "): " << milliseconds(median(times)) << "  (goal: at most 10 ms)" << Qt::endl;
}

void serverMap(Bench& bench) {
    if (!haveServer(bench, QStringLiteral("pg-map")))
        return;
    bench.out() << "pg-map:" << Qt::endl;
    QString area;
    ServerOffice office(bench, QStringLiteral("map"), [&](Database& file) { area = addSoldArea(file); });
    Database database(office.target(), Database::Mode::Open);
    PlotMapService service(database, MapUses::sold());
    QList<double> reading;
    MapView view;
    for (int run = 0; run < bench.repeats(); ++run)
        reading << millisecondsOf([&] { view = service.view(MapFilter{area}); });
    if (view.plots.size() != 3000)
        fail(QStringLiteral("the sold map shows %1 plots instead of 3000").arg(view.plots.size()));
    bench.out() << "  the sold-plot map of an area of 5000 plots, 3000 sold, in one query (median of "
                << bench.repeats() << "): " << milliseconds(median(reading)) << "  (goal: at most 100 ms)"
                << Qt::endl;
}

void serverSetup(Bench& bench) {
    if (!haveServer(bench, QStringLiteral("pg-setup")))
        return;
    bench.out() << "pg-setup:" << Qt::endl;
    ServerOffice office(bench, QStringLiteral("setup"));
    Database database(office.target(), Database::Mode::Open);
    Session session;
    session.operatorName = QStringLiteral("Admin");
    YesPrompter prompter;
    QuietView view;
    PlotSetupService service(database, session, prompter);
    QList<double> times;
    for (int run = 1; run <= bench.repeats(); ++run) {
        const PlotSetupInput input = runInNewRow(QStringLiteral("新%1").arg(run));
        bool written = service.addRow(input).has_value();
        times << millisecondsOf([&] { written = service.createRun(input, view) && written; });
        if (!written || view.results.size() != runLength)
            fail(QStringLiteral("the run was not written: ") + prompter.lastMessage);
    }
    bench.out() << "  a run of " << runLength << " plots in a new row, duplicate check and write (median of "
                << times.size() << "): " << milliseconds(median(times)) << "  (goal: at most 1000 ms)"
                << Qt::endl;
}

constexpr int desks = 4;
constexpr int attemptsPerDesk = 1000;
constexpr int racedPlots = 100;

void serverRace(Bench& bench) {
    if (!haveServer(bench, QStringLiteral("pg-race")))
        return;
    bench.out() << "pg-race:" << Qt::endl;
    ServerOffice office(bench, QStringLiteral("race"));
    Database database(office.target(), Database::Mode::Open);
    const QStringList plots = database.texts(
        QStringLiteral("SELECT 墓碑位置 FROM mq_wz WHERE 状态 = '未使用' ORDER BY rid LIMIT ?"), {racedPlots},
        QStringLiteral("读取空墓位"));
    std::atomic<int> sales = 0;
    std::atomic<int> refusals = 0;
    std::atomic<int> givenUp = 0; // a conflict that still stood after the transaction's last run
    QStringList failures;
    std::mutex failing;
    const SystemClock clock;
    const double took = millisecondsOf([&] {
        std::vector<std::thread> running;
        for (int desk = 0; desk < desks; ++desk)
            running.emplace_back([&, desk] {
                try {
                    // Each desk is a connection of its own, made and used on its own thread.
                    Database own(office.target(), Database::Mode::Open);
                    Session session;
                    session.operatorName = QStringLiteral("Admin");
                    PurchaseService service({own, session, clock});
                    QRandomGenerator pick(desk + 1);
                    for (int attempt = 0; attempt < attemptsPerDesk; ++attempt) {
                        const QString key = plots.at(pick.bounded(static_cast<int>(plots.size())));
                        try {
                            const SaveOutcome outcome = service.save(
                                benchPurchase(key, desk * attemptsPerDesk + attempt, clock.today()));
                            ++(outcome.saved ? sales : refusals);
                        } catch (const DatabaseError& error) {
                            if (!error.isConflict())
                                throw;
                            ++givenUp;
                        }
                    }
                } catch (const std::exception& error) {
                    const std::lock_guard<std::mutex> lock(failing);
                    failures << QString::fromStdString(error.what());
                }
            });
        for (std::thread& desk : running)
            desk.join();
    });
    if (!failures.isEmpty())
        fail(QStringLiteral("a desk failed: ") + failures.first());
    // A plot sold twice has two purchase rows or two registrations.
    const int doubleSales =
        database
            .scalar(
                QStringLiteral("SELECT COUNT(*) FROM (SELECT 墓碑位置 FROM gm_xf1 WHERE 操作方式 = '购墓' "
                               "GROUP BY 墓碑位置 HAVING COUNT(*) > 1 UNION SELECT 墓碑位置 FROM gm_dj "
                               "GROUP BY 墓碑位置 HAVING COUNT(*) > 1) AS twice"),
                {}, QStringLiteral("检查"))
            .toInt();
    bench.out() << "  " << desks << " desks x " << attemptsPerDesk << " attempts at " << plots.size()
                << " plots: " << sales << " sales, " << refusals << " refused as taken, " << givenUp
                << " gave up after conflicts, " << doubleSales << " double sales (goal: " << plots.size()
                << " sales, 0 double sales)\n"
                << "  " << milliseconds(took) << ", " << qRound(desks * attemptsPerDesk / (took / 1000))
                << " attempts a second" << Qt::endl;
    if (doubleSales != 0 || sales != plots.size())
        fail(QStringLiteral("the race sold %1 plots with %2 sold twice").arg(sales.load()).arg(doubleSales));
}

// Whether the map model shows `key` as a plot on sale.
bool offered(const PlotMapModel& model, const QString& key) {
    const QModelIndexList icon = model.match(model.index(0, 0), Qt::DisplayRole, key, 1, Qt::MatchExactly);
    return !icon.isEmpty() && icon.first().data(PlotMapModel::TagRole).toInt() == 1;
}

// One desk sells while another has the sale map of the same area open, and two more are connected and
// listening: how long after the sale's commit the other desk's map model shows the plot sold.
void serverNotify(Bench& bench) {
    if (!haveServer(bench, QStringLiteral("pg-notify")))
        return;
    bench.out() << "pg-notify:" << Qt::endl;
    QString area;
    ServerOffice office(bench, QStringLiteral("notify"), [&](Database& file) { area = addSoldArea(file); });
    Database selling(office.target(), Database::Mode::Open);
    Database showing(office.target(), Database::Mode::Open);
    Database third(office.target(), Database::Mode::Open);
    Database fourth(office.target(), Database::Mode::Open);
    PlotMapService service(showing, MapUses::sale());
    PlotMapModel model;
    int shown = 0;
    const auto show = [&] {
        model.setPlots(service.view(MapFilter{area}).plots);
        ++shown;
    };
    show();
    // As an open map does: a notice of its area reads the icons again.
    QObject::connect(&showing.changes(), &ChangeNotifier::changed, &model,
                     [&](ChangeNotifier::Subject subject, const QString& scope) {
                         if (subject == ChangeNotifier::Subject::Plots &&
                             ChangeNotifier::concerns(scope, area))
                             show();
                     });
    // The plots the map offers for sale, the first few.
    QStringList plots;
    for (int row = 0; row < model.rowCount() && plots.size() < bench.repeats(); ++row)
        if (model.index(row).data(PlotMapModel::TagRole).toInt() == 1)
            plots << model.index(row).data().toString();
    Session session;
    session.operatorName = QStringLiteral("Admin");
    const SystemClock clock;
    PurchaseService sales({selling, session, clock});
    QList<double> times;
    for (const QString& key : plots) {
        const int before = shown;
        if (!sales.save(benchPurchase(key, static_cast<int>(times.size()), clock.today())).saved)
            fail(QStringLiteral("the sale of %1 was refused").arg(key));
        // The save returns once its transaction, and with it the notice, is committed.
        QElapsedTimer sinceCommit;
        sinceCommit.start();
        const QDeadlineTimer patience(std::chrono::seconds(5));
        while (shown == before && !patience.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        times << static_cast<double>(sinceCommit.nsecsElapsed()) / 1e6;
        if (shown == before || offered(model, key))
            fail(QStringLiteral("the other desk's map did not hear of the sale of %1").arg(key));
    }
    if (times.isEmpty())
        fail(QStringLiteral("the map offers no plot for sale"));
    bench.out() << "  a sale on one of 4 desks reaching another's open sale map of an area of 5000 plots, "
                << "read again (median of " << times.size() << "): " << milliseconds(median(times))
                << "  (goal: at most 200 ms)" << Qt::endl;
}

} // namespace

Measurement serverNotifyMeasurement() {
    return {QStringLiteral("pg-notify"),
            QStringLiteral("a sale on one of 4 desks reaching another desk's open map model on a PostgreSQL "
                           "server (needs PGHOST)"),
            serverNotify};
}

Measurement serverPurchaseMeasurement() {
    return {QStringLiteral("pg-purchase"),
            QStringLiteral(
                "one purchase save on a PostgreSQL server holding the generated cemetery (needs PGHOST)"),
            serverPurchase};
}

Measurement serverMapMeasurement() {
    return {QStringLiteral("pg-map"),
            QStringLiteral("the sold-plot map of a 5,000-plot area on a PostgreSQL server (needs PGHOST)"),
            serverMap};
}

Measurement serverSetupMeasurement() {
    return {QStringLiteral("pg-setup"),
            QStringLiteral("a run of 10,000 plots in a new row on a PostgreSQL server (needs PGHOST)"),
            serverSetup};
}

Measurement serverRaceMeasurement() {
    return {QStringLiteral("pg-race"),
            QStringLiteral("4 desks x 1,000 attempts to buy 100 plots at random on a PostgreSQL server "
                           "(needs PGHOST)"),
            serverRace};
}
