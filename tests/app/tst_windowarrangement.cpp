#include "app/mainwindow.h"
#include "business/ui/burialhubwindow.h"
#include "business/ui/burialrecordswindow.h"
#include "business/ui/burialwindow.h"
#include "business/ui/constructionsheetwindow.h"
#include "business/ui/duereminderwindow.h"
#include "business/ui/feerecordswindow.h"
#include "business/ui/gravereturnwindow.h"
#include "business/ui/lampfeewindow.h"
#include "business/ui/purchasewindow.h"
#include "business/ui/renewalwindow.h"
#include "business/ui/reservationmaintenancewindow.h"
#include "business/ui/reservationwindow.h"
#include "columbarium/ui/nichefeerecordswindow.h"
#include "columbarium/ui/nicheoptionswindow.h"
#include "columbarium/ui/storagemaintenancewindow.h"
#include "columbarium/ui/storageregistrationwindow.h"
#include "graves/map/ui/plotchoicewindow.h"
#include "support/runningoffice.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTextEdit>

namespace {

// The running office on a row of two free plots and one reserved plot with its reservation.
struct Office : RunningOffice {
    Office() {
        window.resize(1280, 900);
        data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, 状态) VALUES "
            "('甲区', '1', '0001', '双人墓', 1000, 200, 0, 0, 50, 300, '未使用'), "
            "('甲区', '1', '0002', '双人墓', 1000, 200, 0, 0, 50, 300, '未使用'), "
            "('甲区', '2', '0001', '单人墓', 2000, 400, 30, 20, 60, 500, '已预订')"));
        data.sql(QStringLiteral("INSERT INTO ydmd (id, 编号, 墓碑位置, 联系人, 预交金额, 成交金额, 余额) "
                                "VALUES (5, 12, '甲区2排0001号', '李四', 0, 10000, 10000)"));
        // Clicks and keys reach the task windows only in the active main window.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    QMdiArea* area() { return window.findChild<QMdiArea*>(); }
    QList<QWidget*> openWindows() { return window.host().openWindows(); }
    static QMdiSubWindow* frameOf(QWidget* window) {
        return qobject_cast<QMdiSubWindow*>(window->parentWidget());
    }
    // The object names of the open windows, bottom first.
    QStringList stacking() {
        QStringList names;
        for (QMdiSubWindow* frame : area()->subWindowList(QMdiArea::StackingOrder))
            names << frame->widget()->objectName();
        return names;
    }
    // Clicks a map's plot list where no plot is, as the operator brings the map forward.
    void clickMap(const QString& mapName) {
        QTest::mouseClick(control<QListView>(find(mapName), "LV1")->viewport(), Qt::LeftButton, {},
                          QPoint(2, 2));
    }
    void press(QKeyCombination keys) { QTest::keyClick(&window, keys.key(), keys.keyboardModifiers()); }
};

void click(QWidget* window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// A control the operator reads or uses, checked on its own; what lies inside one (a combo's field,
// a grid's header) is its owner's business.
bool isChecked(QWidget* widget) {
    return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
           qobject_cast<QComboBox*>(widget) || qobject_cast<QLabel*>(widget) ||
           qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
           qobject_cast<QTextEdit*>(widget);
}

// The controls of `window` cut off by its frame, the client area or the box they sit in, or
// narrower than they need; fields and buttons lower than they need, too.
QStringList clippedControls(QWidget* window, QWidget* viewport) {
    QStringList clipped;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!isChecked(widget) || !widget->isVisibleTo(window))
            continue;
        // A picture may be larger than its box, as the scrolling credits are.
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->pixmap().isNull())
            continue;
        QRect visible = viewport->rect();
        bool inside = false;
        for (QWidget* up = widget->parentWidget(); up != viewport; up = up->parentWidget()) {
            inside = inside || isChecked(up) || qobject_cast<QAbstractScrollArea*>(up);
            visible &= QRect(up->mapTo(viewport, QPoint(0, 0)), up->size());
        }
        if (inside)
            continue;
        const QRect spot(widget->mapTo(viewport, QPoint(0, 0)), widget->size());
        const bool squeezed = (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                               qobject_cast<QComboBox*>(widget)) &&
                              widget->height() < widget->minimumSizeHint().height();
        if (!visible.contains(spot) || widget->width() < widget->minimumSizeHint().width() || squeezed)
            clipped << window->objectName() + QLatin1Char('.') + widget->objectName();
    }
    return clipped;
}

} // namespace

class WindowArrangementTest : public QObject {
    Q_OBJECT

private slots:
    void windowsOpenedFromAMapComeBackInFrontOfIt() {
        Office office;
        office.pickOnMap(QStringLiteral("M_gm"), QStringLiteral("Frm_gm"), QStringLiteral("甲区"),
                         QStringLiteral("甲区1排0001号"));
        click(office.find(QStringLiteral("frmgm_xz")), "Command2");
        QTRY_COMPARE(office.stacking(), QStringList({"Frm_gm", "frmgm_xz", "Frm_gm_blz"}));
        // Clicking the screen-wide map brings what it led to back in front of it, in their order.
        office.clickMap(QStringLiteral("Frm_gm"));
        QCOMPARE(office.area()->activeSubWindow(), Office::frameOf(office.find(QStringLiteral("Frm_gm"))));
        QTRY_COMPARE(office.stacking(), QStringList({"Frm_gm", "frmgm_xz", "Frm_gm_blz"}));

        // A window opened from the menu while the map is current belongs to nobody: the map covers it.
        office.window.command(QStringLiteral("bxwh"))->trigger();
        office.clickMap(QStringLiteral("Frm_gm"));
        QTRY_COMPARE(office.stacking().first(), QStringLiteral("Frmbxwh"));

        // The choice closed, the purchase it led to hangs on the map.
        office.window.host().close(office.find(QStringLiteral("frmgm_xz")));
        QTRY_VERIFY(!office.find(QStringLiteral("frmgm_xz")));
        office.window.host().close(office.find(QStringLiteral("Frmbxwh")));
        QTRY_VERIFY(!office.find(QStringLiteral("Frmbxwh")));

        // The reservation's maintenance and the 交清余款 opened from it stay in front of their map; the
        // purchase window, raised from the maintenance, now hangs on it and no longer on the other map.
        office.pickOnMap(QStringLiteral("M_tm"), QStringLiteral("Frm_ydwh"), QStringLiteral("甲区"),
                         QStringLiteral("甲区2排0001号"));
        click(office.find(QStringLiteral("Frm_ydwh1")), "Command4");
        QCOMPARE(office.find(QStringLiteral("Frm_gm_blz"))->windowTitle(), QStringLiteral("交清余款"));
        // The larger 交清余款 leaves the title bar of the maintenance it came from in sight.
        const QRect settling = Office::frameOf(office.find(QStringLiteral("Frm_gm_blz")))->geometry();
        const QRect maintenance = Office::frameOf(office.find(QStringLiteral("Frm_ydwh1")))->geometry();
        QVERIFY(maintenance.top() < settling.top());
        office.clickMap(QStringLiteral("Frm_ydwh"));
        QTRY_COMPARE(office.stacking().mid(1), QStringList({"Frm_ydwh", "Frm_ydwh1", "Frm_gm_blz"}));
        office.clickMap(QStringLiteral("Frm_gm"));
        QTRY_COMPARE(office.stacking().last(), QStringLiteral("Frm_gm"));
        // Going to the maintenance brings its 交清余款 along, and leaves the maps where they are.
        office.area()->setActiveSubWindow(Office::frameOf(office.find(QStringLiteral("Frm_ydwh1"))));
        QTRY_COMPARE(office.stacking(), QStringList({"Frm_ydwh", "Frm_gm", "Frm_ydwh1", "Frm_gm_blz"}));
    }

    void theSettlementSitsLeftOfWhereThePurchaseSits() {
        Office office;
        WindowHost& host = office.window.host();
        const auto frame = [&] { return Office::frameOf(office.find(QStringLiteral("Frm_gm_blz"))); };
        const auto centred = [&] {
            return WindowHost::placement(office.window.frameGeometry().size(),
                                         office.area()->viewport()->size(), frame()->size(),
                                         {Placement::Rule::Centred})
                .x();
        };
        office.pickOnMap(QStringLiteral("M_tm"), QStringLiteral("Frm_ydwh"), QStringLiteral("甲区"),
                         QStringLiteral("甲区2排0001号"));
        click(office.find(QStringLiteral("Frm_ydwh1")), "Command4");
        QCOMPARE(office.find(QStringLiteral("Frm_gm_blz"))->windowTitle(), QStringLiteral("交清余款"));
        QCOMPARE(frame()->x(), centred() - 27); // 400 twips
        // The same form raised for a sale goes back to its own place.
        host.openFromMenu([&] { host.open<PurchaseWindow>()->takeChosenPlot(); });
        QCOMPARE(office.find(QStringLiteral("Frm_gm_blz"))->windowTitle(), QStringLiteral("购墓"));
        QCOMPARE(frame()->x(), centred());
    }

    void theWindowMenuListsArrangesClosesAndMovesOn() {
        Office office;
        QMenu* menu = office.window.topMenu(QStringLiteral("M_ck"));
        QVERIFY(menu->menuAction()->isEnabled()); // before any login as well
        const auto listed = [&] {
            Q_EMIT menu->aboutToShow();
            QStringList entries;
            for (QAction* action : menu->actions())
                if (action->isCheckable())
                    entries << (action->isChecked() ? QStringLiteral("*") : QString()) + action->text();
            return entries;
        };
        QVERIFY(listed().isEmpty());
        for (const char* command : {"bxwh", "mpic", "M_szmw"})
            office.window.command(QString::fromLatin1(command))->trigger();
        const QStringList titles = [&] {
            QStringList list;
            for (QWidget* window : office.openWindows())
                list << window->windowTitle();
            return list;
        }();
        QCOMPARE(listed(), QStringList({"&1 " + titles[0], "&2 " + titles[1], "*&3 " + titles[2]}));
        // The list is made afresh each time, and picking an entry activates its window.
        Q_EMIT menu->aboutToShow();
        const QList<QAction*> entries = menu->actions();
        entries.at(entries.size() - 3)->trigger();
        QCOMPARE(listed(), QStringList({"*&1 " + titles[0], "&2 " + titles[1], "&3 " + titles[2]}));

        // Ctrl+Tab goes on in the order they were opened, round to the first; Ctrl+F4 closes.
        office.press(Qt::CTRL | Qt::Key_Tab);
        office.press(Qt::CTRL | Qt::Key_Tab);
        QCOMPARE(office.area()->activeSubWindow()->widget()->windowTitle(), titles[2]);
        office.press(Qt::CTRL | Qt::Key_Tab);
        QCOMPARE(office.area()->activeSubWindow()->widget()->windowTitle(), titles[0]);
        office.press(Qt::CTRL | Qt::Key_F4);
        QTRY_COMPARE(office.openWindows().size(), 2);
        QCOMPARE(listed().size(), 2);

        // Tiled, no window overlaps another; each stays within the client area.
        office.window.command(QStringLiteral("M_ckpp"))->trigger();
        const QList<QMdiSubWindow*> frames = office.area()->subWindowList();
        QVERIFY(!frames[0]->geometry().intersects(frames[1]->geometry()));
        for (QMdiSubWindow* frame : frames)
            QVERIFY(office.area()->viewport()->rect().contains(frame->geometry()));
    }

    void aMaximisedWindowLeavesTheNextOnesAsTheyAre() {
        Office office;
        office.window.command(QStringLiteral("bxwh"))->trigger();
        Office::frameOf(office.find(QStringLiteral("Frmbxwh")))->showMaximized();
        office.window.command(QStringLiteral("mpic"))->trigger();
        office.window.command(QStringLiteral("M_szmw"))->trigger();
        for (QMdiSubWindow* frame : office.area()->subWindowList())
            QCOMPARE(frame->isMaximized(), frame->widget()->objectName() == QLatin1String("Frmbxwh"));
        // Going back to it from the menu gives it its own size again.
        office.window.command(QStringLiteral("bxwh"))->trigger();
        QVERIFY(!Office::frameOf(office.find(QStringLiteral("Frmbxwh")))->isMaximized());
    }

    // The password frame the operators window shows on demand has its room from the start, whatever the
    // desk's font.
    void thePasswordFrameShowsWhole() {
        const QFont before = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
        QFont large = before;
        large.setPointSize(15);
        QApplication::setFont(large);
        RunningOffice office;
        office.window.resize(1024, 768);
        QWidget* operators = office.run(QStringLiteral("M_xtwh"), QStringLiteral("Frmczy"));
        auto* picked = control<QComboBox>(operators, "Combo1");
        picked->setCurrentIndex(picked->findText(QStringLiteral("Admin")));
        Q_EMIT picked->activated(picked->currentIndex());
        click(operators, "Command9");
        auto* frame = control<QWidget>(operators, "Frame_mm");
        QVERIFY(frame->isVisible());
        QApplication::processEvents(); // the layouts settle
        QStringList squeezed;
        for (QWidget* widget : frame->findChildren<QWidget*>())
            if (widget->height() < widget->minimumSizeHint().height() ||
                widget->width() < widget->minimumSizeHint().width())
                squeezed << widget->objectName();
        QCOMPARE(squeezed, QStringList());
    }

    void everyWindowShowsItsWholeContentAt1024By768() {
        RunningOffice office;
        office.window.resize(1024, 768);
        QWidget* viewport = office.window.findChild<QMdiArea*>()->viewport();
        QStringList clipped;
        for (const QString& command : office.window.windowCommands()) {
            office.window.command(command)->trigger();
            // A modal window stands on its own, over the main window.
            for (QWidget* window : office.window.host().openWindows())
                clipped << clippedControls(window, window->isWindow() ? window : viewport);
            office.window.host().closeAll();
            QTRY_VERIFY(office.window.host().openWindows().isEmpty());
        }
        // And the windows only other windows open, each on its own.
        WindowHost& host = office.window.host();
        const QList<std::function<void()>> others = {
            [&] { host.open<PlotChoiceWindow>(PlotSaleWindows{}); },
            [&] { host.open<PurchaseWindow>(); },
            [&] { host.open<ReservationWindow>(); },
            [&] { host.open<ReservationMaintenanceWindow>(); },
            [&] { host.open<BurialHubWindow>(); },
            [&] { host.open<BurialWindow>(); },
            [&] { host.open<BurialRecordsWindow>(); },
            [&] { host.open<RenewalWindow>(); },
            [&] { host.open<GraveReturnWindow>(); },
            [&] { host.open<FeeRecordsWindow>(); },
            [&] { host.open<LampFeeWindow>(); },
            [&] { host.open<ConstructionOrderWindow>(); },
            [&] { host.open<AcceptanceWindow>(); },
            [&] { host.open<DueReminderWindow>(); },
            [&] { host.open<NicheFeeRecordsWindow>(); },
            [&] { host.open<NicheOptionsWindow>(); },
            [&] { host.open<StorageMaintenanceWindow>(); },
            [&] { host.open<StorageRegistrationWindow>(); },
        };
        for (const auto& open : others) {
            open();
            for (QWidget* window : host.openWindows())
                clipped << clippedControls(window, viewport);
            host.closeAll();
            QTRY_VERIFY(host.openWindows().isEmpty());
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char(' '))));
    }
};

QTEST_MAIN(WindowArrangementTest)
#include "tst_windowarrangement.moc"
