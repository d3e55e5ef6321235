#include "loginservice.h"
#include "testsupport.h"

#include <QTest>

class LoginTest : public QObject {
    Q_OBJECT

private slots:
    void salesmenAreNeverOffered() {
        TestData data;
        data.addOperator(QStringLiteral("张三"), QStringLiteral("x"), QStringLiteral("业务员"), QString());
        data.addOperator(QStringLiteral("李四"), QStringLiteral("x"), QStringLiteral("操作员"), QString());
        Session session;
        FixedClock clock(testNow());
        LoginService login(data.db(), session, clock);
        QCOMPARE(login.offeredOperators(), QStringList({QStringLiteral("Admin"), QStringLiteral("李四")}));
    }

    void thePasswordIsTestedOnlyForThePickedOperator() {
        TestData data;
        Session session;
        FixedClock clock(testNow());
        LoginService login(data.db(), session, clock);

        // typed into the list without picking it
        QVERIFY(!login.logIn(QStringLiteral("Admin"), QStringLiteral("admin")));
        login.pick(QStringLiteral("Admin"));
        QCOMPARE(session.operatorName, QStringLiteral("Admin"));
        QVERIFY(!login.logIn(QStringLiteral("Admin"), QString()));
        QVERIFY(!login.logIn(QStringLiteral("Admin"), QStringLiteral("Admin")));
        QVERIFY(session.permissionString.isEmpty());
        // blanks around the typed password do not matter
        QVERIFY(login.logIn(QStringLiteral("Admin"), QStringLiteral("  admin ")));
        QCOMPARE(session.permissionString, QString(40, QLatin1Char('f')));
        QVERIFY(session.reportList.contains(QStringLiteral(",gm,")));
    }

    void nullRightsKeepThePreviousLoginValues() {
        TestData data;
        data.addOperator(QStringLiteral("王五"), QStringLiteral("pw"), QStringLiteral("操作员"), QString());
        data.sql(QStringLiteral("UPDATE czy SET 权限字符 = NULL, 打印报表 = NULL WHERE 操作员 = '王五'"));
        Session session;
        session.permissionString = QStringLiteral("1");
        session.reportList = QStringLiteral(",gm,");
        FixedClock clock(testNow());
        LoginService login(data.db(), session, clock);
        login.pick(QStringLiteral("王五"));
        QVERIFY(login.logIn(QStringLiteral("王五"), QStringLiteral("pw")));
        QCOMPARE(session.permissionString, QStringLiteral("1"));
        QCOMPARE(session.reportList, QStringLiteral(",gm,"));
    }

    void theOperatorsDenialMarksBecomeFlags() {
        TestData data;
        data.addOperator(QStringLiteral("赵六"), QStringLiteral("pw"), QStringLiteral("操作员"),
                         QStringLiteral("f"));
        data.sql(QStringLiteral("UPDATE czy SET 记录打印 = 1, 记录删除 = 1 WHERE 操作员 = '赵六'"));
        Session session;
        FixedClock clock(testNow());
        LoginService login(data.db(), session, clock);
        login.pick(QStringLiteral("赵六"));
        QVERIFY(login.logIn(QStringLiteral("赵六"), QStringLiteral("pw")));
        QVERIFY(session.flags.printDenied);
        QVERIFY(session.denials.remove);
        QVERIFY(!session.denials.add);
    }

    void oddNamesAndPasswordsAreJustText() {
        TestData data;
        const QString name = QStringLiteral("O'Brien \"甲\"") + QString(3000, QLatin1Char('x'));
        const QString password = QStringLiteral("p'w\"; DROP TABLE czy; --");
        data.addOperator(name, password, QStringLiteral("操作员"), QStringLiteral("1"));
        Session session;
        FixedClock clock(testNow());
        LoginService login(data.db(), session, clock);
        QVERIFY(login.offeredOperators().contains(name));
        login.pick(name);
        QVERIFY(login.logIn(name, password));
        QCOMPARE(data.count(QStringLiteral("czy")), 2);
    }

    void remindersAreThoseDueTodayThatWantOne() {
        TestData data;
        Session session;
        FixedClock clock(testNow());
        LoginService login(data.db(), session, clock);
        QCOMPARE(login.remindersDueToday(), 0);
        data.sql(QStringLiteral(
            "INSERT INTO ydmd (墓碑位置, 提醒日期, 需要提醒) VALUES ('甲区1排0001号', '2026-12-06', 0)"));
        data.sql(QStringLiteral(
            "INSERT INTO ydmd (墓碑位置, 提醒日期, 需要提醒) VALUES ('甲区1排0002号', '2026-12-05', 1)"));
        QCOMPARE(login.remindersDueToday(), 0);
        data.sql(QStringLiteral(
            "INSERT INTO ydmd (墓碑位置, 提醒日期, 需要提醒) VALUES ('甲区1排0003号', '2026-12-06', 1)"));
        QCOMPARE(login.remindersDueToday(), 1);
    }
};

QTEST_GUILESS_MAIN(LoginTest)
#include "tst_login.moc"
