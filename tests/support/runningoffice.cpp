#include "support/runningoffice.h"

#include "app/taskwindows.h"

#include <QAction>
#include <QComboBox>

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

QListView* RunningOffice::pickOnMap(const QString& command, const QString& mapName, const QString& area,
                                    const QString& key) {
    QWidget* map = run(command, mapName);
    auto* areas = control<QComboBox>(map, "Combo1");
    areas->setCurrentIndex(areas->findText(area));
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

QWidget* pickSoldPlot(RunningOffice& office, const QString& area, const QString& key) {
    office.window.resize(1280, 900);
    office.pickOnMap(QStringLiteral("M_lz"), QStringLiteral("Frm_xzlz"), area, key);
    return office.find(QStringLiteral("Frm_ck"));
}

Database& RunningOffice::elsewhere() {
    if (!data.db().isServer())
        return data.db();
    if (!m_elsewhere)
        m_elsewhere = std::make_unique<Database>(data.db().target(), Database::Mode::Open);
    return *m_elsewhere;
}
