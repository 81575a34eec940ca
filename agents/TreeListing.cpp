#include "agents/TreeListing.h"

#include "store/TElement.h"
#include "store/TreeNode.h"

namespace glanix {

namespace {

// Tabs and line breaks cannot appear in names, but addresses come from anywhere.
QString field(QString text)
{
    for (QChar& ch : text) {
        if (ch == u'\t' || ch == u'\n' || ch == u'\r')
            ch = u' ';
    }
    return text;
}

} // namespace

QStringList listAgentTree(TElement* agent)
{
    QStringList lines;
    TreeNode* top = agent ? agent->Node() : nullptr;
    if (!top)
        return lines;
    agent->LoadChildren(1000);
    const int base = top->level();
    for (TreeNode* node = top; node && (node == top || top->isAncestorOf(node)); node = node->next()) {
        TElement* e = node->element();
        if (!e)
            continue;
        lines << QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7")
                     .arg(QString::number(node->level() - base), QString::number(e->Kind),
                          field(e->GetName()), QString::number(e->State), QString::number(e->StatusNumber),
                          field(e->StatusText()), field(e->GetURL()));
    }
    return lines;
}

} // namespace glanix
