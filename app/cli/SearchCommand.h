#pragma once

#include "app/cli/Cli.h"

namespace glanix::cli {

// `search QUERY [AGENT ...] [--code] [--no-count] [--in pages,titles,notes,urls]
// [--min-age DAYS] [--max-age DAYS]`: the search of the desktop program over every open agent
// (by default those open at the last shutdown), one line per result in the results window's
// order (latest modified first): score, tree path, address, tab-separated; then
// "N documents" on the error stream.
int runSearch(Context& ctx);

} // namespace glanix::cli
