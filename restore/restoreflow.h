#pragma once

#include <QString>

class Clock;
class DataFolder;
class ProcessLauncher;
class Prompter;

// pelu-restore from start to end: waits for Pelu to let go of the data folder, lets the operator pick
// a backup until one passes the checks or the operator gives up, swaps it in and offers to start Pelu
// again from `programFolder`. Returns the exit code.
int runRestore(const DataFolder& folder, const Clock& clock, Prompter& prompter, ProcessLauncher& launcher,
               const QString& programFolder);
