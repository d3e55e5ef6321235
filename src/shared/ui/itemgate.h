#pragma once

class Prompter;
struct Session;

// The item right check of a menu command or a guarded button: when the operator may not use `item`,
// says so and returns false.
bool passesItemGate(Session& session, Prompter& prompter, int item);
