#pragma once

#include <functional>

class Prompter;
struct Session;

// Runs one operator action. A failure inside it, of any kind (after which its transaction has already
// been rolled back), is logged and shown as an error message instead of ending the program.
// Returns whether the action ran to its end.
bool runAction(Prompter& prompter, const std::function<void()>& action);

// The item right check of a menu command or a guarded button: when the operator may not use `item`,
// says so and returns false.
bool passesItemGate(Session& session, Prompter& prompter, int item);
// Tells the operator that a right is missing, in the words of the item right check.
void refuseMissingRight(Prompter& prompter);
