#pragma once

#include "app/cli/Cli.h"

namespace glanix::cli {

// `info AGENT PATH [--state] [--properties] [--links] [--communication]`: the element's
// information page (HTML) on standard output. Without a section option, the sections the
// information view shows at first: state and properties.
int runInfo(Context& ctx);

} // namespace glanix::cli
