#include "admin/ui/onlinedeskswindow.h"

#include "shared/onlinedesks.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

OnlineDesksWindow::OnlineDesksWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_list(new QTableWidget(0, 3, this)) {
    setObjectName(QString::fromLatin1(traits.name));
    setWindowTitle(QStringLiteral("在线操作员"));
    m_list->setObjectName(QStringLiteral("Grid1"));
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("操作员"), QStringLiteral("电脑"), QStringLiteral("登录时间")});
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    auto* refresh = new QPushButton(QStringLiteral("刷新"), this);
    refresh->setObjectName(QStringLiteral("Command1"));
    auto* quit = new QPushButton(QStringLiteral("退出"), this);
    quit->setObjectName(QStringLiteral("Command2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(refresh);
    buttons->addWidget(quit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(480, 300);

    on(refresh, &QPushButton::clicked, &OnlineDesksWindow::load);
    on(quit, &QPushButton::clicked, &OnlineDesksWindow::closeWindow);
    guarded([this] { load(); });
}

void OnlineDesksWindow::load() {
    const QList<OnlineDesks::Desk> desks = OnlineDesks::list(m_context.database);
    m_list->setRowCount(static_cast<int>(desks.size()));
    for (int row = 0; row < desks.size(); ++row) {
        const OnlineDesks::Desk& desk = desks.at(row);
        const QStringList cells{desk.operatorName, desk.computer, desk.since};
        for (int column = 0; column < cells.size(); ++column)
            m_list->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    m_list->resizeColumnsToContents();
}
