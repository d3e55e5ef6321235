#include "foundation/loginservice.h"
#include "support/testsupport.h"

#include <QTest>

class LoginTest : public QObject {
    Q_OBJECT

private slots:
    void salesmenAreNeverOffered() {
        TestData data;
        data.addOperator(QStringLiteral("张三"), QStringLiteral("x"), QStringLiteral("业务员"), QString());
        data.addOperator(QStringLiteral("李四"), QStringLiteral("x"), QStringLiteral("操作员"), QString());
        Session session;
        LoginService login(data.db(), session);
        QCOMPARE(login.offeredOperators(), QStringList({QStringLiteral("Admin"), QStringLiteral("李四")}));
    }

    void thePasswordIsTestedOnlyForThePickedOperator() {
        TestData data;
        Session session;
        LoginService login(data.db(), session);

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
        LoginService login(data.db(), session);
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
        LoginService login(data.db(), session);
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
        LoginService login(data.db(), session);
        QVERIFY(login.offeredOperators().contains(name));
        login.pick(name);
        QVERIFY(login.logIn(name, password));
        QCOMPARE(data.count(QStringLiteral("czy")), 2);
    }
};

QTEST_GUILESS_MAIN(LoginTest)
#include "tst_login.moc"
