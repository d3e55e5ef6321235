#pragma once

#include "app/mainwindow.h"
#include "shared/rights.h"
#include "support/testsupport.h"

#include <QLineEdit>
#include <QListView>
#include <QTest>

// The whole office on a fresh database: the main window shown with every finished task window
// registered, and an operator holding every right. What the operator saw and printed is read from
// `prompter` and `launcher`.
struct RunningOffice {
    TestData data;
    Session session;
    FixedClock clock{testNow()};
    ScriptedPrompter prompter;
    RecordingLauncher launcher;
    PrintBridge printBridge{Rights::printRights(session), launcher, QStringLiteral("/opt/pelu")};
    MainWindow window{data.db(), session, clock, prompter, printBridge, data.folder()};

    explicit RunningOffice(const QString& operatorName = QStringLiteral("Admin"),
                           const QString& permissions = QString(40, QLatin1Char('f')));

    // Runs the menu command `command` and returns the task window `windowName` if it is open then.
    QWidget* run(const QString& command, const QString& windowName);
    QWidget* find(const QString& windowName) { return window.host().find(windowName); }
    // Runs `command`, chooses `area` on the map window `mapName` it opens and clicks and double-clicks
    // the plot `key` with the mouse, as the operator picks a plot. Returns the map's plot list.
    QListView* pickOnMap(const QString& command, const QString& mapName, const QString& area,
                         const QString& key);
    // Another desk's connection to the office on a server; on one desk, whose file takes one program,
    // the office's own.
    Database& elsewhere();

private:
    std::unique_ptr<Database> m_elsewhere;
};

// Picks the plot `key` of `area` on the sold-plot map and returns the burial management window.
QWidget* pickSoldPlot(RunningOffice& office, const QString& area, const QString& key);

// A control of a task window by its object name.
template <typename T> T* control(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no control ") + QString::fromLatin1(name)), __FILE__,
                     __LINE__);
    return found;
}

// Types digits into a field as the operator would. The test's key clicks know only plain letters and
// digits, so Chinese text is set instead.
inline void type(QWidget* window, const char* field, const QString& digits) {
    auto* edit = control<QLineEdit>(window, field);
    edit->clear();
    QTest::keyClicks(edit, digits);
}
