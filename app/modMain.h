#pragma once
// Start-up of the program and the module-level state of the main window.

#include <QPointer>

namespace tobrel::app {

class frmMain;

// The one main window while runTobrel runs it; cleared by runTobrel.
extern QPointer<frmMain> mainForm;

// Prepares fonts and translations for the Japanese interface.
void prepareApplication();

// The program's entry: ends at once when another copy runs, otherwise shows
// the main window and runs until it closes. Returns the exit status.
int runTobrel(int argc, char** argv);

} // namespace tobrel::app
