#pragma once

class MainWindow;

// Ties every finished task window to its menu command.
void registerTaskWindows(MainWindow& mainWindow);
