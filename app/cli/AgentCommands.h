#pragma once

#include "app/cli/Cli.h"

namespace glanix::cli {

// `new-agent NAME [--dir FOLDER]`: an agent made as the wizard's "Un dossier d'adresses".
int runNewAgent(Context& ctx);

// `add AGENT URL [--name NAME] [--folder PATH] [--depth N] [--images 0|1] [--same-server]
// [--frequency CODE]`: an address added as "Nouveau site" does.
int runAdd(Context& ctx);

} // namespace glanix::cli
