#pragma once

class QWidget;

//! What the program does when it is asked to end (SIGTERM, SIGINT, SIGHUP):
//! without a main window (a message box during start-up) nothing is open to
//! save, so the process ends at once as the signal would end it; otherwise
//! open modal boxes are dismissed as Escape would, and the main window
//! closes as the user would close it (save prompts included) once their
//! event loops have returned.
void HandleTerminationRequest(QWidget* mainWindow);
