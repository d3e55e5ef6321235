#include "support/runningoffice.h"

#include "app/taskwindows.h"

#include <QAction>
#include <QComboBox>
#include <QListView>

RunningOffice::RunningOffice(const QString& operatorName, const QString& permissions) {
    session.operatorName = operatorName;
    session.permissionString = permissions;
    registerTaskWindows(window);
    window.show();
}

QWidget* RunningOffice::run(const QString& command, const QString& windowName) {
    window.command(command)->trigger();
    return find(windowName);
}

QWidget* pickSoldPlot(RunningOffice& office, const QString& area, const QString& key) {
    QWidget* map = office.run(QStringLiteral("M_lz"), QStringLiteral("Frm_xzlz"));
    auto* areas = control<QComboBox>(map, "Combo1");
    areas->setCurrentIndex(areas->findText(area));
    Q_EMIT areas->activated(areas->currentIndex());
    auto* grid = control<QListView>(map, "LV1");
    const QModelIndexList found =
        grid->model()->match(grid->model()->index(0, 0), Qt::DisplayRole, key, 1, Qt::MatchExactly);
    grid->setCurrentIndex(found.value(0));
    QTest::keyClick(grid, Qt::Key_Return);
    return office.find(QStringLiteral("Frm_ck"));
}
