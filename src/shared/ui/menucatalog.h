#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// Who may use a command beyond its item right: everybody, only the operator Admin (the command is
// not even shown to others), or whoever holds the print right.
enum class MenuAccess { Everybody, AdminOnly, PrintRight };

// One command of the main menu. `item` is the guarded function item whose right opens it
// (0: no right is tested). An entry without a name is a separator.
struct MenuCommand {
    QString name;
    QString caption;
    QKeySequence shortcut;
    int item = 0;
    MenuAccess access = MenuAccess::Everybody;
};

struct TopMenu {
    QString name;
    QString caption;
    bool business; // disabled until an operator has logged in
    QList<MenuCommand> commands;
};

// The main window's whole menu tree, in order.
const QList<TopMenu>& menuCatalog();
