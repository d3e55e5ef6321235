#pragma once

#include "foundation/servicecontext.h"

class DataFolder;
class PrintBridge;
class Prompter;
class WindowHost;
struct Session;

// What every window is given: the data, the program-wide values, the clock, the way to speak to
// the operator, the way to print, and the way to open and close other windows. The session is the
// office's (shared/session.h): the host and the task window only hand it on.
struct AppContext {
    Database& database;
    Session& session;
    const Clock& clock;
    Prompter& prompter;
    PrintBridge& printBridge;
    WindowHost& host;
    const DataFolder& dataFolder;

    ServiceContext services() const { return {database, session, clock}; }
};
