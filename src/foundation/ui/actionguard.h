#pragma once

#include <functional>

class Prompter;

// Runs one operator action. A failure inside it, of any kind (after which its transaction has already
// been rolled back), is logged and shown as an error message instead of ending the program.
// Returns whether the action ran to its end.
bool runAction(Prompter& prompter, const std::function<void()>& action);

// Tells the operator that a right is missing, in the words of the item right check.
void refuseMissingRight(Prompter& prompter);
