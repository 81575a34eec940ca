#include "app/cli/UpdateCommand.h"

#include "agents/HeadlessCycle.h"
#include "config/Env.h"

namespace glanix::cli {

int runUpdate(Context& ctx)
{
    for (const QString& arg : ctx.args) {
        if (arg.startsWith(QLatin1String("-"))) {
            ctx.err << "Usage : glanix-cli update [AGENT ...]\n";
            return kExitUsage;
        }
    }
    Env env(ctx.home);
    HeadlessCycle cycle(env, ctx.out, ctx.err);
    if (!cycle.run(ctx.args))
        return kExitUsage;
    // As a shell reports a command a signal ended: 130 for SIGINT, 143 for SIGTERM.
    return cycle.interruptedBy() != 0 ? 128 + cycle.interruptedBy() : kExitOk;
}

} // namespace glanix::cli
