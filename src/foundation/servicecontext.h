#pragma once

class Clock;
class Database;
struct Session;

// What a task's service works with: the office's data, the operator's session and the clock. A window
// hands on its own (`AppContext::services()`); a test builds one from its test data.
struct ServiceContext {
    Database& database;
    const Session& session;
    const Clock& clock;
};
