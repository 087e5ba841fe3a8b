#include "app/instance.h"
#include "tools/orvelctl/commands.h"
#include "tools/orvelctl/exit_codes.h"

namespace orvel::ctl {

int ShowCommand(const ParsedArgs&, Context& context)
{
    if (!context.windowRunning())
        return context.Fail(kExitFailed, "no VARNO Orvel 80 window runs");
    // The same hand-off as a second start of the program.
    if (app::BringRunningInstanceForward() == 0)
        return context.Fail(kExitFailed, "the VARNO Orvel 80 window runs but does not answer");
    context.out << "The VARNO Orvel 80 window comes to the front.\n";
    return kExitOk;
}

} // namespace orvel::ctl
