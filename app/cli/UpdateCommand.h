#pragma once

#include "app/cli/Cli.h"

namespace glanix::cli {

// `update [AGENT ...]`: one download cycle over the agents, one line per finished download.
int runUpdate(Context& ctx);

} // namespace glanix::cli
