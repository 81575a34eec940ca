#include "views/SearchOptions.h"

#include "config/Env.h"
#include "config/IniFile.h"

#include <algorithm>

namespace glanix {

namespace {

const QString kSection = QStringLiteral("Search");
const QString kHistory = QStringLiteral("LastSearchs");

void saveOrLog(Env& env, IniFile& ini)
{
    if (!ini.save().ok)
        env.logError(QStringLiteral("Pb dans TFormRecherche : ") + env.iniFileName());
}

} // namespace

SearchSettings loadSearchSettings(const Env& env)
{
    const IniFile ini(env.iniFileName());
    SearchSettings s;
    s.fast = ini.readBool(kSection, u"Fast", s.fast);
    s.inTitle = ini.readBool(kSection, u"InTitle", s.inTitle);
    s.inURL = ini.readBool(kSection, u"InURL", s.inURL);
    s.inNotes = ini.readBool(kSection, u"InNotes", s.inNotes);
    s.inPages = ini.readBool(kSection, u"InPages", s.inPages);
    // A scope out of range (a hand-edited file) falls back to the selected element's.
    s.where = ini.readInteger(kSection, u"Where", s.where);
    if (s.where < 0 || s.where > 2)
        s.where = 0;
    s.count = ini.readBool(kSection, u"Count", s.count);
    s.checkMinAge = ini.readBool(kSection, u"CheckMinAge", s.checkMinAge);
    s.checkMaxAge = ini.readBool(kSection, u"CheckMaxAge", s.checkMaxAge);
    s.minDaysOld = std::clamp(ini.readInteger(kSection, u"MinDaysOld", s.minDaysOld), 1, 9999);
    s.maxDaysOld = std::clamp(ini.readInteger(kSection, u"MaxDaysOld", s.maxDaysOld), 1, 9999);
    return s;
}

void saveSearchSettings(Env& env, const SearchSettings& s)
{
    IniFile ini(env.iniFileName());
    ini.writeBool(kSection, u"Fast", s.fast);
    ini.writeBool(kSection, u"InTitle", s.inTitle);
    ini.writeBool(kSection, u"InURL", s.inURL);
    ini.writeBool(kSection, u"InNotes", s.inNotes);
    ini.writeBool(kSection, u"InPages", s.inPages);
    ini.writeInteger(kSection, u"Where", s.where);
    ini.writeBool(kSection, u"Count", s.count);
    ini.writeBool(kSection, u"CheckMinAge", s.checkMinAge);
    ini.writeBool(kSection, u"CheckMaxAge", s.checkMaxAge);
    ini.writeInteger(kSection, u"MinDaysOld", s.minDaysOld);
    ini.writeInteger(kSection, u"MaxDaysOld", s.maxDaysOld);
    saveOrLog(env, ini);
}

QStringList loadSearchHistory(const Env& env)
{
    const IniFile ini(env.iniFileName());
    QStringList history;
    for (const QString& line : ini.sectionLines(kHistory)) {
        const QString query = line.trimmed();
        if (!query.isEmpty() && !history.contains(query))
            history << query;
    }
    return history;
}

void saveSearchHistory(Env& env, const QStringList& history)
{
    IniFile ini(env.iniFileName());
    QStringList lines;
    for (const QString& query : history) {
        const QString line = query.trimmed();
        if (line.isEmpty() || lines.contains(line))
            continue;
        lines << line;
        if (lines.size() == kSearchHistoryLength)
            break;
    }
    ini.replaceSection(kHistory, lines);
    saveOrLog(env, ini);
}

QStringList withQueryOnTop(QStringList history, const QString& query)
{
    const QString q = query.trimmed();
    if (q.isEmpty())
        return history;
    history.removeAll(q);
    history.prepend(q);
    return history;
}

QString inPageWord(const QString& query)
{
    QString word = query.trimmed();
    const qsizetype space = word.indexOf(u' ');
    if (space >= 0)
        word.truncate(space);
    word.remove(u'"');
    if (word.startsWith(u'+') || word.startsWith(u'-'))
        word.remove(0, 1);
    if (word.startsWith(u'*'))
        word.remove(0, 1);
    if (word.endsWith(u'*'))
        word.chop(1);
    const qsizetype joker = word.indexOf(u'?');
    if (joker >= 0)
        word.truncate(joker);
    return word;
}

} // namespace glanix
