#include "shared/loginservice.h"
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
        data.addOperator(QStringLiteral("李四"), QStringLiteral("li"), QStringLiteral("操作员"), QString());
        Session session;
        LoginService login(data.db(), session);

        // typed into the list without picking it, or over the picked 李四 with his password
        QVERIFY(!login.logIn(QStringLiteral("Admin"), QStringLiteral("admin")));
        login.pick(QStringLiteral("李四"));
        QVERIFY(!login.logIn(QStringLiteral("Admin"), QStringLiteral("li")));
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

    // Null rights grant nothing: nothing of the previous operator is kept. 王五二 beside 王五 is not picked.
    void nullRightsGrantNothing() {
        TestData data;
        data.addOperator(QStringLiteral("王五"), QStringLiteral("pw"), QStringLiteral("操作员"), QString());
        data.addOperator(QStringLiteral("王五二"), QStringLiteral("pw"), QStringLiteral("操作员"), QString());
        data.sql(QStringLiteral("UPDATE czy SET 权限字符 = NULL, 打印报表 = NULL WHERE 操作员 = '王五'"));
        Session session;
        session.permissionString = QStringLiteral("1");
        session.reportList = QStringLiteral(",gm,");
        session.flags.addDenied = true;
        LoginService login(data.db(), session);
        login.pick(QStringLiteral("王五"));
        QVERIFY(login.logIn(QStringLiteral("王五"), QStringLiteral("pw")));
        QCOMPARE(session.permissionString, QString());
        QCOMPARE(session.reportList, QString());
        QVERIFY(!session.flags.addDenied);
    }

    // Two operators whose denial marks differ pairwise, so that no two marks can be read for each other.
    void theOperatorsDenialMarksBecomeFlags() {
        TestData data;
        for (const char* name : {"赵六", "钱七"})
            data.addOperator(text(name), QStringLiteral("pw"), QStringLiteral("操作员"), QStringLiteral("f"));
        data.sql(QStringLiteral("UPDATE czy SET 记录添加 = 0, 记录修改 = 0, 记录删除 = 1, 记录打印 = 1 "
                                "WHERE 操作员 = '赵六'"));
        data.sql(QStringLiteral("UPDATE czy SET 记录添加 = 1, 记录修改 = 0, 记录删除 = 1, 记录打印 = 0 "
                                "WHERE 操作员 = '钱七'"));
        Session session;
        LoginService login(data.db(), session);
        const auto marks = [&](const char* name) -> QString {
            login.pick(text(name));
            if (!login.logIn(text(name), QStringLiteral("pw")))
                return QString();
            return QString::number(session.denials.add) + QString::number(session.denials.modify) +
                   QString::number(session.denials.remove) + QString::number(session.flags.printDenied);
        };
        QCOMPARE(marks("赵六"), QStringLiteral("0011"));
        QCOMPARE(marks("钱七"), QStringLiteral("1010"));
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
