#pragma once

#include "app/cli/Cli.h"

namespace glanix::cli {

// glanix-cli list: the rows a list view shows for an element.
int runList(Context& ctx);

} // namespace glanix::cli
