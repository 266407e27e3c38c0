#pragma once
// The seam through which the launcher starts programs, so that tests see what
// would be started without starting anything.

#include "launcher/launch_command.h"

namespace tobrel::app {

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;

    // Starts what the command says, detached; false when it could not be started.
    virtual bool start(const launcher::LaunchCommand& command);

    // The starter in use; the real one unless a test installed its own.
    static ProgramStarter& current();
    // Installs a starter (not owned); nullptr restores the real one.
    static void install(ProgramStarter* starter);
};

} // namespace tobrel::app
