#include "runningoffice.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace {

// The running office on a cemetery of one row of two free double graves.
struct Office : RunningOffice {
    Office() {
        session.reportList = QStringLiteral(",lxr,,gm,,ydmd,,wz,");
        window.resize(1280, 900);
        for (const char* number : {"0001", "0002"})
            data.sql(QStringLiteral(
                         "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, "
                         "其它, 状态) VALUES ('甲区', '1', ?, '双人墓', 1000, 200, 0, 0, 50, 300, "
                         "'未使用')"),
                     {QString::fromLatin1(number)});
    }

    // Opens 墓位选购, chooses the area and double-clicks the plot.
    QListView* pickOnTheMap(const QString& key) {
        QWidget* map = run(QStringLiteral("M_gm"), QStringLiteral("Frm_gm"));
        auto* areas = control<QComboBox>(map, "Combo1");
        areas->setCurrentIndex(areas->findText(QStringLiteral("甲区")));
        Q_EMIT areas->activated(areas->currentIndex());
        auto* grid = control<QListView>(map, "LV1");
        const QModelIndexList found =
            grid->model()->match(grid->model()->index(0, 0), Qt::DisplayRole, key, 1, Qt::MatchExactly);
        grid->doItemsLayout();
        const QPoint spot = grid->visualRect(found.value(0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, spot);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, spot);
        return grid;
    }
};

// Types into a field as the operator would; the test's key clicks know only plain letters and digits,
// so Chinese text is set.
void type(QWidget* window, const char* field, const QString& text) {
    auto* edit = control<QLineEdit>(window, field);
    edit->clear();
    bool plain = true;
    for (QChar c : text)
        plain = plain && c.unicode() < 128;
    if (plain)
        QTest::keyClicks(edit, text);
    else
        edit->setText(text);
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace

class SaleWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void aPlotIsReservedFromTheMap() {
        Office office;
        QListView* grid = office.pickOnTheMap(QStringLiteral("甲区1排0002号"));
        click(office.find(QStringLiteral("frmgm_xz")), "Command1");
        QWidget* reserve = office.find(QStringLiteral("Frm_ydmd"));
        QCOMPARE(control<QLineEdit>(reserve, "Text1")->text(), QStringLiteral("甲区1排0002号"));
        QCOMPARE(control<QDateEdit>(reserve, "DTP1")->date(), QDate(2026, 12, 6));
        QCOMPARE(control<QDateEdit>(reserve, "DTP2")->date(), QDate(2027, 1, 5));

        // The balance follows the agreed price, not the prepaid amount.
        type(reserve, "Mask1", QStringLiteral("3000"));
        type(reserve, "Mask6", QStringLiteral("10000"));
        QCOMPARE(control<QLineEdit>(reserve, "Mask7")->text(), QStringLiteral("7000"));
        type(reserve, "Mask1", QStringLiteral("4000"));
        QCOMPARE(control<QLineEdit>(reserve, "Mask7")->text(), QStringLiteral("7000"));
        type(reserve, "Mask6", QStringLiteral("10500"));
        QCOMPARE(control<QLineEdit>(reserve, "Mask7")->text(), QStringLiteral("6500"));

        click(reserve, "Command1");
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("OK，输入成功！")}));
        QCOMPARE(
            office.launcher.tails(),
            QStringList({QStringLiteral("  ydmd   $#select * from ydmd where 墓碑位置='甲区1排0002号'")}));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 余额 FROM ydmd")).toDouble(), 6500.0);
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_ydmd")));
        QTRY_VERIFY(!office.find(QStringLiteral("frmgm_xz")));
        QCOMPARE(grid->model()->rowCount(), 0);
    }

    void aPlotIsBoughtWithLiveTotalsAndItemCharges() {
        Office office;
        QListView* grid = office.pickOnTheMap(QStringLiteral("甲区1排0001号"));
        click(office.find(QStringLiteral("frmgm_xz")), "Command2");
        QWidget* buy = office.find(QStringLiteral("Frm_gm_blz"));
        QCOMPARE(buy->windowTitle(), QStringLiteral("购墓"));
        QCOMPARE(control<QLineEdit>(buy, "Text1")->text(), QStringLiteral("甲区1排0001号"));
        // The list prices above zero come in; a price of zero leaves its field alone.
        QCOMPARE(control<QLineEdit>(buy, "Mask5")->text(), QStringLiteral("1000"));
        QCOMPARE(control<QLineEdit>(buy, "Mask6")->text(), QStringLiteral("200"));
        QCOMPARE(control<QLineEdit>(buy, "Mask8")->text(), QString());
        QCOMPARE(control<QLineEdit>(buy, "Mask10")->text(), QStringLiteral("300"));
        QCOMPARE(control<QDateEdit>(buy, "DTP2")->date(), QDate(2046, 12, 6));
        QCOMPARE(control<QComboBox>(buy, "Comblx")->currentText(), QStringLiteral("未定"));

        // The office's example: rate 10, greening 50, a further charge of 40.
        type(buy, "Maskbfl", QStringLiteral("10"));
        type(buy, "Txt_qtf", QStringLiteral("40"));
        QCOMPARE(control<QLineEdit>(buy, "Text2")->text(), QStringLiteral("150"));
        QCOMPARE(control<QLineEdit>(buy, "Text4")->text(), QStringLiteral("1500"));
        QCOMPARE(control<QLineEdit>(buy, "Text3")->text(), QStringLiteral("1740"));
        // A management fee typed over the computed one carries into the total.
        type(buy, "Text2", QStringLiteral("100"));
        QCOMPARE(control<QLineEdit>(buy, "Text3")->text(), QStringLiteral("1690"));

        control<QDateEdit>(buy, "DTP1")->setDate(QDate(2027, 1, 31));
        QCOMPARE(control<QDateEdit>(buy, "DTP2")->date(), QDate(2047, 1, 31));
        type(buy, "Mask_bh", QStringLiteral("12.7"));
        Q_EMIT control<QLineEdit>(buy, "Mask_bh")->editingFinished();
        QCOMPARE(control<QLineEdit>(buy, "Mask_bh")->text(), QStringLiteral("12"));
        type(buy, "Mask1", QStringLiteral("王五"));
        // A new material typed into the list is kept for the next sale.
        auto* material = control<QComboBox>(buy, "Combcz");
        material->setEditText(QStringLiteral("汉白玉"));
        Q_EMIT material->lineEdit()->editingFinished();
        QCOMPARE(office.data.count(QStringLiteral("mblx"), QStringLiteral("zblx = '汉白玉'")), 1);
        QVERIFY(material->findText(QStringLiteral("汉白玉")) >= 0);

        click(buy, "CommSf");
        QWidget* charges = office.find(QStringLiteral("Frm_mq_qtf"));
        QCOMPARE(control<QLineEdit>(charges, "Maskmb")->text(), QStringLiteral("甲区1排0001号"));
        QCOMPARE(control<QLineEdit>(charges, "Masklxr")->text(), QStringLiteral("王五"));
        QCOMPARE(control<QLineEdit>(charges, "MaskEdBox1")->text(), QStringLiteral("12"));
        QCOMPARE(office.session.currentRegistrationNumber, QStringLiteral("12"));

        // A blank remark turns into "无" on the first click; the second click saves.
        type(buy, "Mask11", QString());
        click(buy, "Command1");
        QCOMPARE(control<QLineEdit>(buy, "Mask11")->text(), QStringLiteral("无"));
        QCOMPARE(office.data.count(QStringLiteral("gm_dj")), 0);
        QVERIFY(office.prompter.shown.isEmpty());
        click(buy, "Command1");
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("OK，输入成功！")}));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 合计 FROM gm_xf1")).toDouble(), 1690.0);
        QCOMPARE(office.data.value(QStringLiteral("SELECT 主碑材质 FROM gm_dj")).toString(),
                 QStringLiteral("汉白玉"));
        QCOMPARE(
            office.launcher.tails(),
            QStringList(
                {QStringLiteral("lxr       $#select * from gm_dj where 墓碑位置='甲区1排0001号'"),
                 QStringLiteral("gm        $#select 0 as 预交金额,0 as 余额,* from gm_xf1 where id=1")}));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_gm_blz")));
        QTRY_VERIFY(!office.find(QStringLiteral("frmgm_xz")));
        QCOMPARE(grid->model()->rowCount(), 0);
    }

    void aRefusedSaleKeepsTheWindowAndItsInput() {
        Office office;
        office.pickOnTheMap(QStringLiteral("甲区1排0001号"));
        click(office.find(QStringLiteral("frmgm_xz")), "Command2");
        QWidget* buy = office.find(QStringLiteral("Frm_gm_blz"));
        click(buy, "Command1");
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("联系人不能为空!")}));
        // Someone else sold the plot meanwhile: the save says so and writes nothing.
        office.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '已购' WHERE 号 = '0001'"));
        type(buy, "Mask1", QStringLiteral("王五"));
        click(buy, "Command1");
        QCOMPARE(office.prompter.lastText(),
                 QStringLiteral("墓位“甲区1排0001号”现在是“已购”，不是“未使用”，不能购墓！"));
        QCOMPARE(office.data.count(QStringLiteral("gm_dj")), 0);
        QVERIFY(office.find(QStringLiteral("Frm_gm_blz")));
        QCOMPARE(control<QLineEdit>(buy, "Mask1")->text(), QStringLiteral("王五"));
    }
};

QTEST_MAIN(SaleWindowsTest)
#include "tst_salewindows.moc"
