#pragma once

#include "app/cli/Cli.h"

// glanix-cli analyse and compare: thin front ends over page analysis and change highlighting.
namespace glanix::cli {

int analyseCommand(Context& ctx);
int compareCommand(Context& ctx);

} // namespace glanix::cli
