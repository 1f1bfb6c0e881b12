#pragma once

namespace Platform {

// From now on SIGTERM, SIGINT and SIGHUP (a log-out, a kill, Control-C) make
// the Qt application quit through its event loop, so that its usual shut-down
// runs, instead of ending the process on the spot. Call once, on the main
// thread, once the application object exists.
void quitOnTerminationSignals();

} // namespace Platform
