#include "app/cli/MarkCommands.h"

#include "agents/Marking.h"
#include "app/cli/CliSupport.h"
#include "config/FrenchText.h"
#include "engine/HttpText.h"
#include "store/TElement.h"
#include "store/TreeNode.h"

namespace glanix::cli {

int runUnread(Context& ctx)
{
    const Parsed p = parseArgs(ctx.args, {}, {});
    if (!p.error.isEmpty()) {
        ctx.err << p.error << "\nUsage : glanix-cli unread [AGENT ...]\n";
        return kExitUsage;
    }
    HomeStore home(ctx.home);
    if (!home.openAgents(p.positional, ctx.err))
        return kExitUsage;
    for (TElement* agent : home.agents()) {
        agent->LoadChildren(1000);
        const int level = agent->Node()->level();
        for (TreeNode* n = agent->Node()->next(); n && n->level() > level; n = n->next()) {
            TElement* e = n->element();
            if (!e || !e->isAddressOrPage() || e->State != stateUnread)
                continue;
            ctx.out << e->TreePath() << '\t' << frenchDate(e->LastModified, QStringLiteral("dd/MM/yy hh:mm"))
                    << '\t' << withoutCredentials(e->GetURL()) << '\n';
        }
    }
    return kExitOk;
}

int runMark(Context& ctx)
{
    const QString usage
        = QStringLiteral("Usage : glanix-cli mark AGENT CHEMIN read|unread|refresh [--deep]\n");
    const Parsed p = parseArgs(ctx.args, {}, {QStringLiteral("--deep")});
    static const QStringList kWhat {QStringLiteral("read"), QStringLiteral("unread"),
                                    QStringLiteral("refresh")};
    if (!p.error.isEmpty() || p.positional.size() != 3 || !kWhat.contains(p.positional[2])) {
        ctx.err << (p.error.isEmpty() ? QString() : p.error + u'\n') << usage;
        return kExitUsage;
    }
    HomeStore home(ctx.home);
    TElement* e = elementArg(home, p.positional[0], p.positional[1], ctx.err);
    if (!e)
        return kExitUsage;
    const bool deep = p.has(QStringLiteral("--deep"));
    const QString& what = p.positional[2];
    const int count = what == u"read" ? markAsRead(*e, deep)
        : what == u"unread"           ? markAsUnread(*e, deep)
                                      : markForRefresh(*e, deep);
    ctx.out << count << (count > 1 ? " éléments marqués" : " élément marqué") << '\n';
    return kExitOk;
}

} // namespace glanix::cli
