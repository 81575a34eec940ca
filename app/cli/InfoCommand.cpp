#include "app/cli/InfoCommand.h"

#include "app/cli/CliSupport.h"
#include "views/InfoPage.h"

namespace glanix::cli {

int runInfo(Context& ctx)
{
    static const std::pair<const char*, int> kSections[] = {
        {"--state", infoState},
        {"--properties", infoProperties},
        {"--links", infoLinks},
        {"--communication", infoCommunication},
    };
    QStringList flags;
    for (const auto& [option, section] : kSections)
        flags << QString::fromLatin1(option);
    const Parsed p = parseArgs(ctx.args, {}, flags);
    if (!p.error.isEmpty() || p.positional.size() != 2) {
        ctx.err << (p.error.isEmpty() ? QString() : p.error + u'\n')
                << "Usage : glanix-cli info AGENT CHEMIN [--state] [--properties] [--links] "
                   "[--communication]\n";
        return kExitUsage;
    }
    int sections = 0;
    for (const auto& [option, section] : kSections) {
        if (p.has(QString::fromLatin1(option)))
            sections |= section;
    }
    if (sections == 0)
        sections = kDefaultInfoSections;
    HomeStore home(ctx.home);
    TElement* e = elementArg(home, p.positional[0], p.positional[1], ctx.err);
    if (!e)
        return kExitUsage;
    ctx.out << BuildInfoPage(*e, sections);
    return kExitOk;
}

} // namespace glanix::cli
