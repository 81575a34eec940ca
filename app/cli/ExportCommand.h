#pragma once

#include "app/cli/Cli.h"

namespace glanix::cli {

// `export AGENT [PATH] --to DIR [options]` (or `export AGENT PATH DIR`): the HTML export of
// an element and its descendants into DIR, as the export dialog makes it.
int runExport(Context& ctx);

} // namespace glanix::cli
