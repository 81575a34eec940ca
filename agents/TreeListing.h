#pragma once

#include <QString>
#include <QStringList>

// The whole tree of an agent as text, one tab-separated line per element in tree order:
// depth (the agent is 0), kind, name, state, status number, status text, address.
namespace glanix {

class TElement;

// Reads the tree to every level first.
QStringList listAgentTree(TElement* agent);

} // namespace glanix
