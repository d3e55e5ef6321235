#pragma once

struct AppContext;
struct SaveOutcome;

// Shows a save's message and, when it was saved, hands its documents to the print bridge in order.
// Returns whether it was saved.
bool tellAndPrint(AppContext& context, const SaveOutcome& outcome);
