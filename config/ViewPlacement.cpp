#include "config/ViewPlacement.h"

#include "config/Env.h"
#include "config/IniFile.h"

namespace glanix {

namespace {

QString side(bool inside)
{
    return inside ? QStringLiteral("In") : QStringLiteral("Out");
}

void saveOrLog(Env& env, IniFile& ini)
{
    const WriteResult result = ini.save();
    if (!result.ok)
        env.logError(
            QStringLiteral("Pb dans l'enregistrement de la position d'une vue : %1").arg(result.error));
}

} // namespace

QString viewPlacementSection(ViewKind kind, int rank)
{
    QString name;
    switch (kind) {
    case ViewKind::Html:
        name = QStringLiteral("HtmlView");
        break;
    case ViewKind::Image:
        name = QStringLiteral("ImageView");
        break;
    case ViewKind::Info:
        name = QStringLiteral("InfoView");
        break;
    case ViewKind::List:
        name = QStringLiteral("ListView");
        break;
    case ViewKind::ListSearch:
        name = QStringLiteral("ListViewSearch");
        break;
    case ViewKind::ListSpecial:
        name = QStringLiteral("ListViewSpecial");
        break;
    }
    return name + QString::number(rank);
}

ViewPlacement loadViewPlacement(const Env& env, ViewKind kind, int rank, bool readStyle,
                                const ViewPlacement& current)
{
    const IniFile ini(env.iniFileName());
    const QString section = viewPlacementSection(kind, rank);
    ViewPlacement p = current;
    if (readStyle)
        p.inside = ini.readBool(section, u"Style", current.inside);
    const QString s = side(p.inside);
    const QRect& g = current.geometry;
    p.geometry = QRect(ini.readInteger(section, QLatin1String("Left") + s, g.x()),
                       ini.readInteger(section, QLatin1String("Top") + s, g.y()),
                       ini.readInteger(section, QLatin1String("Width") + s, g.width()),
                       ini.readInteger(section, QLatin1String("Height") + s, g.height()));
    if (kind == ViewKind::Info) {
        p.showState = ini.readBool(section, u"ShowState", true);
        p.showProps = ini.readBool(section, u"ShowProps", true);
        p.showComms = ini.readBool(section, u"ShowComms", false);
    } else if (kind == ViewKind::List || kind == ViewKind::ListSearch || kind == ViewKind::ListSpecial) {
        p.lastSort = ini.readInteger(section, u"LastSort", 2);
        p.lastSortOrder = ini.readInteger(section, u"LastSortOrder", 0);
        for (qsizetype i = 0; i < p.columnWidths.size(); ++i)
            p.columnWidths[i] = ini.readInteger(section, QStringLiteral("Col%1").arg(i), p.columnWidths[i]);
    }
    return p;
}

void saveViewPlacement(Env& env, ViewKind kind, int rank, const ViewPlacement& p, bool normalState)
{
    IniFile ini(env.iniFileName());
    const QString section = viewPlacementSection(kind, rank);
    ini.writeBool(section, u"Style", p.inside);
    if (normalState) {
        const QString s = side(p.inside);
        ini.writeInteger(section, QLatin1String("Left") + s, p.geometry.x());
        ini.writeInteger(section, QLatin1String("Top") + s, p.geometry.y());
        ini.writeInteger(section, QLatin1String("Width") + s, p.geometry.width());
        ini.writeInteger(section, QLatin1String("Height") + s, p.geometry.height());
    }
    if (kind == ViewKind::Info) {
        ini.writeBool(section, u"ShowState", p.showState);
        ini.writeBool(section, u"ShowProps", p.showProps);
        ini.writeBool(section, u"ShowComms", p.showComms);
    } else if (kind == ViewKind::List || kind == ViewKind::ListSearch || kind == ViewKind::ListSpecial) {
        ini.writeInteger(section, u"LastSort", p.lastSort);
        ini.writeInteger(section, u"LastSortOrder", p.lastSortOrder);
        for (qsizetype i = 0; i < p.columnWidths.size(); ++i)
            ini.writeInteger(section, QStringLiteral("Col%1").arg(i), p.columnWidths[i]);
    }
    saveOrLog(env, ini);
}

QString inPageSearchText(const Env& env)
{
    const IniFile ini(env.iniFileName());
    return ini.readString(u"Search", u"InPage");
}

void saveInPageSearchText(Env& env, const QString& text)
{
    IniFile ini(env.iniFileName());
    ini.writeString(u"Search", u"InPage", text);
    saveOrLog(env, ini);
}

} // namespace glanix
