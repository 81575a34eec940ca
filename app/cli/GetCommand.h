#pragma once

#include "app/cli/Cli.h"

namespace glanix::cli {

// `get URL ...`: one download's HTTP exchange, printed like curl -v in Glanix's words.
int runGet(Context& ctx);

} // namespace glanix::cli
