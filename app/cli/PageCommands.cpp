#include "app/cli/PageCommands.h"

#include "config/Env.h"
#include "engine/Http.h"
#include "store/PageAnalysis.h"
#include "views/CompareSettings.h"
#include "views/VersionComparison.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <optional>
#include <vector>

namespace glanix::cli {

namespace {

// Takes "--name VALUE" out of the arguments; false when the name has no value.
bool takeOption(QStringList& args, const QString& name, QString& value)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return true;
    if (at + 1 >= args.size())
        return false;
    value = args.at(at + 1);
    args.remove(at, 2);
    return true;
}

// One field of a tab-separated line.
QString field(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20)
            c = u' ';
    }
    return text;
}

// The file's bytes, or nothing past `cap` (a device or a pipe may never end). Read in pieces
// joined once at the end: growing one buffer would copy it again and again.
std::optional<QByteArray> readAtMost(QFile& file, qint64 cap)
{
    if (!file.isSequential() && file.size() > cap)
        return std::nullopt;
    constexpr qint64 kPiece = 1 << 20;
    std::vector<QByteArray> pieces;
    qint64 total = 0;
    for (;;) {
        QByteArray piece = file.read(kPiece);
        if (piece.isEmpty())
            break;
        total += piece.size();
        if (total > cap)
            return std::nullopt;
        pieces.push_back(std::move(piece));
    }
    if (pieces.size() == 1)
        return pieces.front();
    QByteArray content;
    content.reserve(total);
    for (const QByteArray& piece : pieces)
        content += piece;
    return content;
}

} // namespace

int analyseCommand(Context& ctx)
{
    QString url;
    if (!takeOption(ctx.args, QStringLiteral("--url"), url) || ctx.args.size() != 1) {
        ctx.err << "Usage : glanix-cli analyse FICHIER [--url ADRESSE]\n";
        return kExitUsage;
    }
    const QString path = ctx.args.first();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ctx.err << "Impossible de lire le fichier " << path << '\n';
        return kExitUsage;
    }
    // No bigger than a download may be.
    const qint64 cap = T_HTTP::kDefaultMaxBodySize;
    const std::optional<QByteArray> read = readAtMost(file, cap);
    if (!read) {
        ctx.err << "Fichier trop grand (plus de " << cap << " octets) : " << path << '\n';
        return kExitFailure;
    }
    const QByteArray& content = *read;
    if (url.isEmpty())
        url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);

    const PageFindings f = analyseContent(content, url);
    ctx.out << "title\t" << field(f.title) << "\nbase\t" << field(f.base) << "\nrefresh\t" << field(f.refresh)
            << '\n';
    const auto lines = [&](const char* kind, const QStringList& list) {
        for (const QString& line : list) {
            const qsizetype blank = line.indexOf(u' ');
            ctx.out << kind << '\t' << field(line.left(blank)) << '\t' << field(line.mid(blank + 1)) << '\n';
        }
    };
    lines("frame", f.FrameLinks);
    lines("link", f.PageLinks);
    lines("image", f.ImageLinks);
    return kExitOk;
}

int compareCommand(Context& ctx)
{
    QString outFile;
    if (!takeOption(ctx.args, QStringLiteral("--out"), outFile) || ctx.args.size() != 2) {
        ctx.err << "Usage : glanix-cli compare ANCIEN NOUVEAU [--out FICHIER]\n";
        return kExitUsage;
    }
    for (const QString& path : ctx.args) {
        QFile f(path);
        if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) {
            ctx.err << "Impossible de lire le fichier " << path << '\n';
            return kExitUsage;
        }
    }
    Env env(ctx.home);
    LastComparedPair last;
    const VersionComparison c = CompareWithOldVersion(env, last, ctx.args.at(0), ctx.args.at(1),
                                                      loadCompareSettings(env.iniFileName()), {}, outFile);
    if (!c.shown) {
        ctx.err << c.error << '\n';
        return kExitFailure;
    }
    ctx.out << c.percent << '\t' << c.blocks << '\n' << QString(c.summary).replace(u'\r', u'\n') << '\n';
    return kExitOk;
}

} // namespace glanix::cli
