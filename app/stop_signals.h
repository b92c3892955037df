#pragma once

class QCoreApplication;

namespace quillmere {

// SIGINT, SIGTERM and SIGHUP end the window through its event loop, after
// the action under way: a directory being written stands or is undone, never
// half. Call before the application object exists, so that every thread it
// starts holds them back too.
void holdStopSignals();
void quitOnStopSignals(QCoreApplication& application);
// Whether a stop signal came already: one that came while a message box of
// the start-up was open ended that box's loop, before the main loop ran.
bool stopRequested();

}  // namespace quillmere
