#include "graves/ui/plotsetupwindow.h"
#include "shared/ui/progresswindow.h"
#include "support/runningoffice.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// The office with the set-up window opened from its menu command; the operator 李四 holds `item6` for it.
struct Office : RunningOffice {
    QWidget* setup = nullptr;

    explicit Office(char item6 = 'f')
        : RunningOffice(QStringLiteral("李四"), QString(5, u'f') + QLatin1Char(item6) + QString(34, u'f')) {
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排) VALUES ('A区', '1'), ('A区', '2')"));
    }
    void open() { setup = run(QStringLiteral("M_szmw"), QStringLiteral("Frm_mqsz")); }
    template <typename T> T* get(const char* name) { return control<T>(setup, name); }
    void click(const char* name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    QString status() { return get<QLabel>("Bar1")->text(); }
    int count(const char* where) { return data.count(QStringLiteral("mq_wz"), QString::fromUtf8(where)); }
};

} // namespace

class PlotSetupWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuCommandOpensTheWindowUnderItsItemRight() {
        Office refused('e');
        refused.open();
        QVERIFY(!refused.setup);
        QCOMPARE(refused.prompter.lastText(), QStringLiteral("您没有此项功能权限！请联系系统管理员"));

        // Item 6 as "3": open and add, but neither modify (style, prices) nor delete (plots, area).
        Office office('3');
        office.open();
        QVERIFY(office.setup);
        QCOMPARE(office.setup->windowTitle(), QStringLiteral("墓区排列设置"));
        for (const char* button : {"Command4", "Command6", "Command5", "Cmdting_zx"})
            office.click(button);
        QCOMPARE(office.prompter.texts().join(u' '),
                 QStringLiteral("您没有修改记录的权限！ 您没有修改记录的权限！ 您没有删除记录的权限！ "
                                "您没有删除记录的权限！"));
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

    // A run typed into the form, row 3 added and removed, and an area typed into the box that takes
    // the list's place.
    void theFormDrivesRunsRowsAndAreas() {
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
        // Choosing the area shown once more starts it afresh: no row is left chosen for a run.
        Q_EMIT areas->activated(0);
        QVERIFY(rows->currentText().isEmpty());
        QCOMPARE(office.status(), QStringLiteral("A区内现有 2 排,但是现在还没有设置！"));
        rows->setCurrentIndex(0);

        QTest::keyClicks(office.get<QLineEdit>("Mask1"), QStringLiteral("7"));
        QTest::keyClicks(office.get<QLineEdit>("Mask2"), QStringLiteral("3"));
        office.get<QComboBox>("Combo4")->setCurrentIndex(0);
        QTest::keyClicks(office.get<QLineEdit>("Mask3"), QStringLiteral("2800"));

        QStringList seen; // what the progress window says while each pass runs
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&seen] {
            QWidget* modal = QApplication::activeModalWidget();
            const QString text = modal && modal->objectName() == QLatin1String("Frm_chk")
                                     ? control<QLabel>(modal, "Label1")->text()
                                     : QString();
            if (!text.isEmpty() && seen.value(seen.size() - 1) != text)
                seen << text;
        });
        watch.start(0);
        office.click("Command1");
        watch.stop();

        QCOMPARE(seen, QStringList({QStringLiteral("正在检测数据库中是否有相同记录"),
                                    QStringLiteral("检测已通过，现在正在写入数据")}));
        QVERIFY(!QApplication::activeModalWidget());
        auto* results = office.get<QListWidget>("Grid1");
        QCOMPARE(results->count(), 3);
        QCOMPARE(results->item(2)->text(), QStringLiteral("A区1排,新增了0009号"));
        QCOMPARE(office.get<QLineEdit>("Mask1")->text(), QStringLiteral("0007"));
        QCOMPARE(office.count("排 = '1' AND 墓地费 = 2800"), 3);
        QCOMPARE(office.status(), QStringLiteral("A区1排,共有 3 个位置可用"));

        // The range to delete is shown as it was taken, in four-digit form.
        office.prompter.answers << Prompter::Answer::Yes;
        QTest::keyClicks(office.get<QLineEdit>("Masks"), QStringLiteral("8"));
        QTest::keyClicks(office.get<QLineEdit>("Maske"), QStringLiteral("9"));
        office.click("Command5");
        QCOMPARE(office.get<QLineEdit>("Masks")->text() + u'-' + office.get<QLineEdit>("Maske")->text(),
                 QStringLiteral("0008-0009"));
        QCOMPARE(office.status(), QStringLiteral("本次共删除记录2条"));

        // Adding and removing a row tells the area's new count of rows.
        rows->setCurrentIndex(-1);
        rows->clearEditText();
        office.click("Cmdshi_zj");
        QCOMPARE(rows->count(), 3);
        QCOMPARE(rows->itemText(2), QStringLiteral("3"));
        QCOMPARE(office.status(), QStringLiteral("A区内现有 3 排,可容纳 1 位"));
        office.prompter.answers << Prompter::Answer::Yes;
        office.click("Cmdshi_zx");
        QCOMPARE(rows->count(), 2);
        QCOMPARE(office.status(), QStringLiteral("A区内现有 2 排,可容纳 1 位"));

        auto* box = office.get<QLineEdit>("Box1");
        auto buttons = [&office]() -> QString {
            return office.get<QPushButton>("Cmdting_tj")->text() + u'/' +
                   office.get<QPushButton>("Cmdting_zx")->text();
        };
        office.click("Cmdting_tj");
        QVERIFY(!box->isHidden());
        QVERIFY(areas->isHidden());
        QCOMPARE(buttons(), QStringLiteral("保存/取消"));

        QTest::keyClicks(box, QStringLiteral("B'"));
        QCOMPARE(office.prompter.lastText(), QStringLiteral("不要输入非法字符！"));
        QCOMPARE(office.prompter.shown.last().icon, Prompter::Icon::Exclamation);
        QVERIFY(box->text().isEmpty());

        box->insert(QStringLiteral("B区"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(box->isHidden());
        QCOMPARE(areas->currentText(), QStringLiteral("B区"));
        QCOMPARE(buttons(), QStringLiteral("添加墓区/注销墓区"));
        QCOMPARE(office.status(), QStringLiteral("B区,没有设置号,没有位置可用！"));
        QCOMPARE(office.count("墓区 = 'B区' AND 排 IS NULL"), 1);

        // A double click on the box gives up the new name.
        office.click("Cmdting_tj");
        box->insert(QStringLiteral("C区"));
        QTest::mouseDClick(box, Qt::LeftButton);
        QVERIFY(box->isHidden());
        QCOMPARE(buttons(), QStringLiteral("添加墓区/注销墓区"));
        QCOMPARE(office.count("墓区 = 'C区'"), 0);

        // Removing the chosen area takes it off the list and leaves no area chosen.
        office.prompter.answers << Prompter::Answer::Yes;
        office.click("Cmdting_zx");
        QCOMPARE(areas->findText(QStringLiteral("B区")), -1);
        QCOMPARE(areas->currentIndex(), -1);
        QVERIFY(office.status().isEmpty());

        office.click("Command3");
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_mqsz")));
    }

    // The result lines are read whole, a long row name and all.
    void aLongResultLineFitsTheList() {
        Office office;
        office.data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                                       "('A区', '东侧第十二小区纪念林', '0001', '单人墓', '已购')"));
        office.open();
        office.get<QComboBox>("Combo1")->setCurrentIndex(0);
        auto* rows = office.get<QComboBox>("Combo2");
        rows->setCurrentIndex(rows->findText(QStringLiteral("东侧第十二小区纪念林")));
        QTest::keyClicks(office.get<QLineEdit>("Masks"), QStringLiteral("1"));
        QTest::keyClicks(office.get<QLineEdit>("Maske"), QStringLiteral("1"));
        office.prompter.answers << Prompter::Answer::Yes;
        office.click("Command5");
        auto* results = office.get<QListWidget>("Grid1");
        QCOMPARE(results->item(0)->text(),
                 QStringLiteral("A区东侧第十二小区纪念林排0001号，正在使用中，不能删除！"));
        QVERIFY(results->fontMetrics().horizontalAdvance(results->item(0)->text()) <=
                results->viewport()->width());
    }

    // Sixteen different pictures shown in turn; a failure of the work closes the window and comes out.
    void theProgressWindowAnimatesAndPassesFailuresOn() {
        const QList<QPixmap>& pictures = ProgressWindow::pictures();
        QCOMPARE(pictures.size(), 16);
        for (int i = 1; i < pictures.size(); ++i)
            QVERIFY(pictures.at(i).toImage() != pictures.at(i - 1).toImage());

        bool animated = false;
        ProgressWindow::run(nullptr, false, [&](const ProgressWindow::Breathe& breathe) {
            auto* picture = control<QLabel>(QApplication::activeModalWidget(), "Picture1");
            const qint64 first = picture->pixmap().cacheKey();
            for (QDeadlineTimer deadline(300); !deadline.hasExpired();)
                breathe();
            animated = picture->pixmap().cacheKey() != first;
        });
        QVERIFY(animated);

        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 ProgressWindow::run(nullptr, true, [](const ProgressWindow::Breathe&) {
                                     throw DatabaseError(QStringLiteral("写入失败"));
                                 }));
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(PlotSetupWindowTest)
#include "tst_plotsetupwindow.moc"
