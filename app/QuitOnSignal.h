#pragma once
// Ends the event loop normally when the process is asked to terminate
// (SIGTERM, SIGINT, SIGHUP, as at the end of a desktop session), so that
// what is cleaned up at a normal exit, such as the private directory of the
// simulator's working files, is cleaned up then too.

class QObject;

// Call once, after the application object exists.
void quitOnTerminationSignals(QObject* parent);
