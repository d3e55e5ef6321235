#pragma once

#include <QString>

class ProcessLauncher;
class Prompter;

// 还原数据: the restore program replaces the database file, so Pelu hands over to it and ends.
// Asks first; starts pelu-restore from `programFolder`. Returns whether Pelu is to end now: not on
// "否", and not when the restore program is missing (the office would be left with neither).
bool startRestore(Prompter& prompter, ProcessLauncher& launcher, const QString& programFolder);
