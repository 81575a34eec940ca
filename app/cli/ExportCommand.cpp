#include "app/cli/ExportCommand.h"

#include "app/cli/CliSupport.h"
#include "config/IniFile.h"
#include "store/StatusTexts.h"
#include "store/TElement.h"
#include "views/HtmlExport.h"

namespace glanix::cli {

int runExport(Context& ctx)
{
    const QString usage = QStringLiteral(
        "Usage : glanix-cli export AGENT [CHEMIN] --to DOSSIER [--depth N] [--same-server] [--keep-struct] "
        "[--dont-change] [--no-images] [--only-html] [--no-index]\n");
    const Parsed p = parseArgs(ctx.args, {QStringLiteral("--to"), QStringLiteral("--depth")},
                               {QStringLiteral("--same-server"), QStringLiteral("--keep-struct"),
                                QStringLiteral("--dont-change"), QStringLiteral("--no-images"),
                                QStringLiteral("--only-html"), QStringLiteral("--no-index")});
    QStringList positional = p.positional;
    QString to = p.value(QStringLiteral("--to"));
    // Without --to the destination is the third argument.
    if (to.isEmpty() && positional.size() == 3)
        to = positional.takeLast();
    bool depthOk = true;
    const int depth
        = p.has(QStringLiteral("--depth")) ? p.value(QStringLiteral("--depth")).toInt(&depthOk) : 50;
    QString error = p.error;
    if (error.isEmpty() && (!depthOk || depth < 0 || depth > 100))
        error = QStringLiteral("--depth attend un nombre de 0 à 100");
    if (error.isEmpty() && p.has(QStringLiteral("--keep-struct")) && !p.has(QStringLiteral("--same-server")))
        error = QStringLiteral("--keep-struct ne s'emploie qu'avec --same-server");
    if (error.isEmpty() && p.has(QStringLiteral("--dont-change")) && !p.has(QStringLiteral("--keep-struct")))
        error = QStringLiteral("--dont-change ne s'emploie qu'avec --keep-struct");
    if (!error.isEmpty() || positional.isEmpty() || positional.size() > 2 || to.isEmpty()) {
        ctx.err << (error.isEmpty() ? QString() : error + u'\n') << usage;
        return kExitUsage;
    }

    ExportSettings s;
    s.SaveTo = to;
    s.Depth = depth;
    s.SameServer = p.has(QStringLiteral("--same-server"));
    s.KeepStruct = p.has(QStringLiteral("--keep-struct"));
    s.DontChange = p.has(QStringLiteral("--dont-change"));
    s.WithImg = !p.has(QStringLiteral("--no-images"));
    s.OnlyHtmlText = p.has(QStringLiteral("--only-html"));
    s.MakeIndex = !p.has(QStringLiteral("--no-index"));
    s.Consult = false;

    HomeStore home(ctx.home);
    TElement* e = elementArg(home, positional[0], positional.value(1), ctx.err);
    if (!e)
        return kExitUsage;
    HtmlExport exporter(*e, s, home.env());
    exporter.setCheckDiskSpace(
        !IniFile(home.env().iniFileName()).readBool(u"General", u"DoNotCheckDiskSpace", false));
    const ExportResult r = exporter.run();
    if (r.outcome == ExportResult::Outcome::NoSpace || r.outcome == ExportResult::Outcome::NoFolder) {
        ctx.err << QString(r.message).replace(u'\r', u'\n') << '\n';
        return kExitUsage;
    }
    for (const QString& line : r.failures)
        ctx.err << line << '\n';
    if (!r.message.isEmpty())
        ctx.err << QString(r.message).replace(u'\r', u'\n') << '\n';
    ctx.out << r.exported << (r.exported > 1 ? " documents exportés (" : " document exporté (")
            << SizeText(r.bytes) << ")\n";
    if (!r.indexPath.isEmpty())
        ctx.out << r.indexPath << '\n';
    return r.outcome == ExportResult::Outcome::Done && r.failures.isEmpty() ? kExitOk : kExitFailure;
}

} // namespace glanix::cli
