#include "app/cli/ListCommand.h"

#include "app/cli/CliSupport.h"
#include "views/ListViewModel.h"

namespace glanix::cli {

int runList(Context& ctx)
{
    const Parsed p = parseArgs(ctx.args, {QStringLiteral("--sort")},
                               {QStringLiteral("--all"), QStringLiteral("--no-folders"),
                                QStringLiteral("--images"), QStringLiteral("--desc")});
    bool sortOk = true;
    const int column = p.has(QStringLiteral("--sort")) ? p.value(QStringLiteral("--sort")).toInt(&sortOk) : 2;
    if (!p.error.isEmpty() || p.positional.isEmpty() || p.positional.size() > 2 || !sortOk || column < 0
        || column >= ListViewModel::ColumnCount) {
        ctx.err << (p.error.isEmpty() ? QString() : p.error + u'\n')
                << "Usage : glanix-cli list AGENT [CHEMIN] [--all] [--no-folders] [--images] [--sort COLONNE "
                   "0-8] "
                   "[--desc]\n";
        return kExitUsage;
    }
    HomeStore home(ctx.home);
    TElement* e = p.positional.size() == 2 ? elementArg(home, p.positional[0], p.positional[1], ctx.err)
                                           : home.openAgent(p.positional[0], ctx.err);
    if (!e)
        return kExitUsage;
    ListViewModel model(home.store());
    model.setEventPump([] {});
    ListViewModel::Filter filter;
    filter.allContent = p.has(QStringLiteral("--all"));
    filter.folders = !p.has(QStringLiteral("--no-folders"));
    filter.images = p.has(QStringLiteral("--images"));
    model.fill(e, filter);
    // Without --desc the order is the list view's first one: the newest first by date.
    model.sortRows(column, p.has(QStringLiteral("--desc")) ? false : p.has(QStringLiteral("--sort")));
    for (int r = 0; r < model.rowCount(); ++r) {
        const ListViewModel::Row& row = model.row(r);
        QStringList columns;
        for (int c = 0; c < ListViewModel::ColumnCount; ++c)
            columns << row.text[c];
        ctx.out << columns.join(u'\t') << u'\n';
    }
    model.detach();
    return kExitOk;
}

} // namespace glanix::cli
