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
    return cycle.run(ctx.args) ? kExitOk : kExitUsage;
}

} // namespace glanix::cli
