#include "plotsetupwindow.h"
#include "progresswindow.h"
#include "runningoffice.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// The office with the set-up window opened from its menu command, as an operator with every right.
struct Office : RunningOffice {
    QWidget* setup = nullptr;

    explicit Office(const QString& permissions = QString(40, QLatin1Char('f')))
        : RunningOffice(QStringLiteral("李四"), permissions) {
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排) VALUES ('A区', '1'), ('A区', '2')"));
    }
    void open() { setup = run(QStringLiteral("M_szmw"), QStringLiteral("Frm_mqsz")); }
    template <typename T> T* get(const char* name) { return control<T>(setup, name); }
    void click(const char* name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    QString status() { return get<QLabel>("Bar1")->text(); }
    QStringList results() {
        QStringList lines;
        for (int row = 0; row < get<QListWidget>("Grid1")->count(); ++row)
            lines << get<QListWidget>("Grid1")->item(row)->text();
        return lines;
    }
};

} // namespace

class PlotSetupWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuCommandOpensTheWindowUnderItsItemRight() {
        Office refused(QString(5, QLatin1Char('f')) + QLatin1Char('e') + QString(34, QLatin1Char('f')));
        refused.open();
        QVERIFY(!refused.setup);
        QCOMPARE(refused.prompter.lastText(), QStringLiteral("您没有此项功能权限！请联系系统管理员"));

        // Item 6 as "3": open and add, but neither modify nor delete.
        Office office(QString(5, QLatin1Char('f')) + QLatin1Char('3') + QString(34, QLatin1Char('f')));
        office.open();
        QVERIFY(office.setup);
        QCOMPARE(office.setup->windowTitle(), QStringLiteral("墓区排列设置"));
        office.click("Command4");
        office.click("Command5");
        office.click("Cmdting_zx");
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("您没有修改记录的权限！"),
                                                       QStringLiteral("您没有删除记录的权限！"),
                                                       QStringLiteral("您没有删除记录的权限！")}));
        QCOMPARE(office.prompter.shown.last().caption, QStringLiteral("李四"));
        QCOMPARE(office.prompter.shown.last().icon, Prompter::Icon::Information);

        office.session.flags.addDenied = true;
        office.click("Cmdting_tj");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("您没有添加记录权限！"));
        QVERIFY(office.get<QLineEdit>("Box1")->isHidden());
        office.click("Command1");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("您没有添加记录的权限！"));
        QCOMPARE(office.prompter.shown.last().caption, QStringLiteral("李四"));
    }

    void aRunTypedIntoTheFormIsWrittenBehindTheProgressWindow() {
        Office office;
        office.open();
        auto* areas = office.get<QComboBox>("Combo1");
        auto* rows = office.get<QComboBox>("Combo2");
        QCOMPARE(areas->count(), 1);
        QCOMPARE(areas->currentIndex(), -1);
        QVERIFY(office.get<QComboBox>("Combo4")->currentText().isEmpty());

        areas->setCurrentIndex(0);
        QCOMPARE(office.status(), QStringLiteral("A区内现有 2 排,但是现在还没有设置！"));
        QCOMPARE(rows->count(), 2);
        QVERIFY(rows->currentText().isEmpty());
        rows->setCurrentIndex(0);
        QCOMPARE(office.status(), QStringLiteral("A区1排,还没有设置！"));

        QTest::keyClicks(office.get<QLineEdit>("Mask1"), QStringLiteral("7"));
        QTest::keyClicks(office.get<QLineEdit>("Mask2"), QStringLiteral("3"));
        office.get<QComboBox>("Combo4")->setCurrentIndex(0);
        QTest::keyClicks(office.get<QLineEdit>("Mask3"), QStringLiteral("2800"));

        // What the progress window says while each pass runs.
        QStringList seen;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&seen] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == QLatin1String("Frm_chk")) {
                const QString text = modal->findChild<QLabel*>(QStringLiteral("Label1"))->text();
                if (seen.isEmpty() || seen.last() != text)
                    seen << text;
            }
        });
        watch.start(0);
        office.click("Command1");
        watch.stop();

        QCOMPARE(seen, QStringList({QStringLiteral("正在检测数据库中是否有相同记录"),
                                    QStringLiteral("检测已通过，现在正在写入数据")}));
        QCOMPARE(office.results(),
                 QStringList({QStringLiteral("A区1排,新增了0007号"), QStringLiteral("A区1排,新增了0008号"),
                              QStringLiteral("A区1排,新增了0009号")}));
        QCOMPARE(office.get<QLineEdit>("Mask1")->text(), QStringLiteral("0007"));
        QCOMPARE(office.prompter.lastText(), QStringLiteral("OK,设置完毕！"));
        QCOMPARE(office.data
                     .value(QStringLiteral(
                         "SELECT group_concat(墓碑位置 || ':' || 墓地费) FROM mq_wz WHERE 排 = '1'"))
                     .toString(),
                 QStringLiteral("A区1排0007号:2800.0,A区1排0008号:2800.0,A区1排0009号:2800.0"));
        QVERIFY(!QApplication::activeModalWidget());

        // Row 3 is added and taken away again from the row group's buttons.
        rows->setCurrentIndex(-1);
        rows->clearEditText();
        office.click("Cmdshi_zj");
        QCOMPARE(rows->count(), 3);
        QCOMPARE(rows->itemText(2), QStringLiteral("3"));
        office.click("Cmdshi_zx");
        QCOMPARE(rows->count(), 2);
        QCOMPARE(office.prompter.lastText(), QStringLiteral("注销成功！ "));

        office.click("Command3");
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_mqsz")));
    }

    void anAreaIsTypedIntoTheBoxThatTakesTheListsPlace() {
        Office office;
        office.open();
        auto* box = office.get<QLineEdit>("Box1");
        office.click("Cmdting_tj");
        QVERIFY(!box->isHidden());
        QVERIFY(office.get<QComboBox>("Combo1")->isHidden());
        QCOMPARE(office.get<QPushButton>("Cmdting_tj")->text(), QStringLiteral("保存"));
        QCOMPARE(office.get<QPushButton>("Cmdting_zx")->text(), QStringLiteral("取消"));

        QTest::keyClicks(box, QStringLiteral("B'"));
        QCOMPARE(office.prompter.lastText(), QStringLiteral("不要输入非法字符！"));
        QVERIFY(box->text().isEmpty());

        box->insert(QStringLiteral("B区"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(box->isHidden());
        QCOMPARE(office.get<QComboBox>("Combo1")->currentText(), QStringLiteral("B区"));
        QCOMPARE(office.get<QPushButton>("Cmdting_tj")->text(), QStringLiteral("添加墓区"));
        QCOMPARE(office.status(), QStringLiteral("B区,没有设置号,没有位置可用！"));
        QCOMPARE(office.data.count(QStringLiteral("mq_wz"), QStringLiteral("墓区 = 'B区' AND 排 IS NULL")),
                 1);

        // A double click on the box gives up the new name.
        office.click("Cmdting_tj");
        box->insert(QStringLiteral("C区"));
        QTest::mouseDClick(box, Qt::LeftButton);
        QVERIFY(box->isHidden());
        QCOMPARE(office.get<QPushButton>("Cmdting_zx")->text(), QStringLiteral("注销墓区"));
        QCOMPARE(office.data.count(QStringLiteral("mq_wz"), QStringLiteral("墓区 = 'C区'")), 0);

        // Removing the chosen area takes it off the list and leaves no area chosen.
        office.click("Cmdting_zx");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("注销成功！ "));
        QCOMPARE(office.get<QComboBox>("Combo1")->findText(QStringLiteral("B区")), -1);
        QCOMPARE(office.get<QComboBox>("Combo1")->currentIndex(), -1);
        QVERIFY(office.status().isEmpty());
    }

    void theProgressWindowAnimatesAndPassesFailuresOn() {
        const QList<QPixmap>& pictures = ProgressWindow::pictures();
        QCOMPARE(pictures.size(), 16);
        for (int i = 1; i < pictures.size(); ++i)
            QVERIFY(pictures.at(i).toImage() != pictures.at(i - 1).toImage());

        qint64 firstPicture = 0;
        qint64 lastPicture = 0;
        ProgressWindow::run(nullptr, false, [&](const ProgressWindow::Breathe& breathe) {
            auto* picture = QApplication::activeModalWidget()->findChild<QLabel*>(QStringLiteral("Picture1"));
            firstPicture = picture->pixmap().cacheKey();
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 300)
                breathe();
            lastPicture = picture->pixmap().cacheKey();
        });
        QVERIFY(firstPicture != lastPicture);

        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 ProgressWindow::run(nullptr, true, [](const ProgressWindow::Breathe&) {
                                     throw DatabaseError(QStringLiteral("写入失败"));
                                 }));
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(PlotSetupWindowTest)
#include "tst_plotsetupwindow.moc"
