#pragma once

class QCoreApplication;

namespace quillmere {

// SIGINT, SIGTERM and SIGHUP end the window through its event loop, after
// the action under way: a directory being written stands or is undone, never
// half. Call before the application object exists, so that every thread it
// starts holds them back too.
void holdStopSignals();
void quitOnStopSignals(QCoreApplication& application);

}  // namespace quillmere
