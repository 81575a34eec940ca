#pragma once

#include "app/cli/Cli.h"

namespace glanix::cli {

// `unread [AGENT ...]`: the unread addresses and pages, in tree order: tree path, the date of
// the stored copy ("dd/mm/yy hh:nn") and the address, tab-separated.
int runUnread(Context& ctx);

// `mark AGENT PATH read|unread|refresh [--deep]`: the tree's marking commands on one element
// (`--deep` answers yes to "the pages it contains").
int runMark(Context& ctx);

} // namespace glanix::cli
