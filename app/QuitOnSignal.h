#pragma once
// Ends the event loop normally when the process is asked to terminate
// (SIGTERM, SIGINT, SIGHUP, as at the end of a desktop session), so that
// what is cleaned up at a normal exit, such as the private directory of the
// simulator's working files, is cleaned up then too.

class QObject;

// Call once, after the application object exists.
void quitOnTerminationSignals(QObject* parent);

// For a process that does its work without an event loop (batch mode): on
// those signals `cleanUp` runs in the handler, so it must be
// async-signal-safe, then the process ends by the signal as it would have.
void cleanUpOnTerminationSignals(void (*cleanUp)());
