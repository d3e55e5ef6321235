#pragma once

#include <functional>

class Prompter;

// Runs one operator action. A database failure inside it (after which its transaction has already
// been rolled back) is shown as an error message instead of ending the program.
// Returns whether the action ran to its end.
bool runAction(Prompter& prompter, const std::function<void()>& action);
