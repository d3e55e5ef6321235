#include "business/purchaseservice.h"
#include "support/testsupport.h"
#include "support/twodesks.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using Notice = std::pair<ChangeNotifier::Subject, QString>;

PurchaseForm sale(const QString& plotNumber) {
    PurchaseForm form;
    form.plotKey = QStringLiteral("甲区1排%1号").arg(plotNumber);
    form.contact = QStringLiteral("李四");
    form.boughtOn = form.useFrom = QDate(2026, 12, 6);
    form.useUntil = PurchaseService::useUntilFor(form.useFrom);
    form.fees.land = QStringLiteral("9000");
    form.remark = QStringLiteral("无");
    return form;
}

// What a desk's windows heard, in order.
class Heard {
public:
    explicit Heard(Database& desk) : m_spy(&desk.changes(), &ChangeNotifier::changed) {}
    QList<Notice> notices() const {
        QList<Notice> all;
        for (const QList<QVariant>& arguments : m_spy)
            all << Notice{arguments.at(0).value<ChangeNotifier::Subject>(), arguments.at(1).toString()};
        return all;
    }
    // Waits until `count` notices came, and a little longer so that one too many would show.
    QList<Notice> waitFor(int count) {
        for (int i = 0; i < 100 && m_spy.count() < count; ++i)
            QTest::qWait(20);
        QTest::qWait(150);
        return notices();
    }
    void clear() { m_spy.clear(); }

private:
    QSignalSpy m_spy;
};

qint64 backendOf(Database& desk) {
    return desk.scalar(QStringLiteral("SELECT pg_backend_pid()"), {}, QStringLiteral("test")).toLongLong();
}

} // namespace

class LiveDesksTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        if (!TwoDesks::available())
            QSKIP("desks hear each other on a server; a database file has one desk");
    }

    void aSaleOnOneDeskReachesTheOtherAtItsCommitAndItsOwnDeskOnce() {
        TwoDesks desks;
        desks.data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                                      "('甲区', '1', '0001', '单人墓', '未使用'), "
                                      "('甲区', '1', '0002', '单人墓', '未使用')"));
        PurchaseService deskA({desks.deskA(), desks.session, desks.clock});
        Heard byA(desks.deskA());
        Heard byB(desks.deskB());

        // A sale that failed at its last write told nobody anything.
        desks.deskA().failNthWrite(3);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, deskA.save(sale(QStringLiteral("0001"))));
        desks.deskA().failNthWrite(0);
        QCOMPARE(byB.waitFor(1), QList<Notice>());
        QCOMPARE(byA.notices(), QList<Notice>());

        QVERIFY(deskA.save(sale(QStringLiteral("0002"))).saved);
        // Desk A's windows heard at once, and only once though the server echoes the notice back.
        const QList<Notice> sold{{ChangeNotifier::Subject::Plots, QStringLiteral("甲区")}};
        QCOMPARE(byA.notices(), sold);
        QCOMPARE(byB.waitFor(1), sold);
        QCOMPARE(byA.notices(), sold);
    }

    void aNoticeOutsideATransactionReachesTheOtherDesk() {
        TwoDesks desks;
        Heard byB(desks.deskB());
        desks.deskA().notifyChange(ChangeNotifier::Subject::Niches, QStringLiteral("福寿厅"));
        desks.deskA().notifyChange(ChangeNotifier::Subject::Reservations);
        QCOMPARE(byB.waitFor(2), (QList<Notice>{{ChangeNotifier::Subject::Niches, QStringLiteral("福寿厅")},
                                                {ChangeNotifier::Subject::Reservations, QString()}}));
    }

    void aDeskThatLostItsServerListensAgainAndRefreshesEverything() {
        TwoDesks desks;
        desks.data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                                      "('甲区', '1', '0003', '单人墓', '未使用')"));
        Heard byB(desks.deskB());
        const qint64 backend = backendOf(desks.deskB());
        desks.deskA().scalar(QStringLiteral("SELECT pg_terminate_backend(?)"), {backend},
                             QStringLiteral("test"));
        for (int i = 0; i < 100 && desks.data
                                           .value(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity "
                                                                 "WHERE pid = ?"),
                                                  {backend})
                                           .toInt() > 0;
             ++i)
            QTest::qWait(20);

        // The next action on B reconnects; what B's windows show is read again after it.
        QCOMPARE(desks.deskB().scalar(QStringLiteral("SELECT 2 + 3"), {}, QStringLiteral("test")).toInt(), 5);
        QVERIFY(backendOf(desks.deskB()) != backend);
        QCOMPARE(byB.waitFor(3), (QList<Notice>{{ChangeNotifier::Subject::Plots, QString()},
                                                {ChangeNotifier::Subject::Reservations, QString()},
                                                {ChangeNotifier::Subject::Niches, QString()}}));

        // And B hears A again.
        byB.clear();
        PurchaseService deskA({desks.deskA(), desks.session, desks.clock});
        QVERIFY(deskA.save(sale(QStringLiteral("0003"))).saved);
        QCOMPARE(byB.waitFor(1), (QList<Notice>{{ChangeNotifier::Subject::Plots, QStringLiteral("甲区")}}));
    }
};

QTEST_GUILESS_MAIN(LiveDesksTest)
#include "tst_livedesks.moc"
