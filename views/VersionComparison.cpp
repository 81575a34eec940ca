#include "views/VersionComparison.h"

#include "config/AtomicFile.h"
#include "config/Env.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VersionComparison", text);
}

bool readWhole(const QString& path, QByteArray& content)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    content = f.readAll();
    return f.error() == QFileDevice::NoError;
}

// As lines with CR LF ends: every CR LF, lone CR and lone LF becomes CR LF, and the last
// line gets its line end.
QByteArray asCrLfLines(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 32 + 2);
    const char* p = text.constData();
    const char* end = p + text.size();
    while (p < end) {
        const char* stop = p;
        while (stop < end && *stop != '\r' && *stop != '\n')
            ++stop;
        out.append(p, stop - p);
        if (stop == end)
            break;
        out.append("\r\n", 2);
        p = stop + 1;
        if (*stop == '\r' && p < end && *p == '\n')
            ++p;
    }
    if (!text.isEmpty() && !text.endsWith('\n') && !text.endsWith('\r'))
        out.append("\r\n", 2);
    return out;
}

} // namespace

LastComparedPair::Stamp LastComparedPair::stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

bool LastComparedPair::matches(const QString& oldFile, const QString& newFile, const QString& resultFile) const
{
    // A page downloaded again keeps its file names: its new content must be compared anew.
    return !isEmpty() && oldFile == m_oldFile && newFile == m_newFile && resultFile == m_resultFile
        && stampOf(oldFile) == m_old && stampOf(newFile) == m_new && m_result.size >= 0
        && stampOf(resultFile) == m_result;
}

void LastComparedPair::set(const QString& oldFile, const QString& newFile, const QString& resultFile)
{
    m_oldFile = oldFile;
    m_newFile = newFile;
    m_resultFile = resultFile;
    m_old = stampOf(oldFile);
    m_new = stampOf(newFile);
    m_result = stampOf(resultFile);
}

QString comparisonDate(const QDateTime& dt)
{
    static const char* const days[] = {
        QT_TRANSLATE_NOOP("VersionComparison", "lundi"),    QT_TRANSLATE_NOOP("VersionComparison", "mardi"),
        QT_TRANSLATE_NOOP("VersionComparison", "mercredi"), QT_TRANSLATE_NOOP("VersionComparison", "jeudi"),
        QT_TRANSLATE_NOOP("VersionComparison", "vendredi"), QT_TRANSLATE_NOOP("VersionComparison", "samedi"),
        QT_TRANSLATE_NOOP("VersionComparison", "dimanche"),
    };
    const int day = dt.date().dayOfWeek(); // 1 = Monday
    const QString name = day >= 1 && day <= 7 ? tr(days[day - 1]) : QString();
    return name + u' ' + dt.toString(QStringLiteral("dd/MM/yy HH:mm"));
}

QString comparisonSummary(int percent, int blocks, const QDateTime& newDate, const QDateTime& oldDate)
{
    const QString dates = comparisonDate(newDate) + tr(" par rapport au") + u'\r' + comparisonDate(oldDate);
    if (blocks == 0)
        return tr("Pas de nouveauté visible le") + u'\r' + dates;
    return QString::number(percent) + tr("% modifiés") + u'\r' + QString::number(blocks)
        + (blocks > 1 ? tr(" nouveautés le") : tr(" nouveauté le")) + u'\r' + dates;
}

VersionComparison CompareWithOldVersion(Env& env, LastComparedPair& last, const QString& oldFile,
                                        const QString& newFile, const CompareSettings& settings,
                                        const CompareControl& control, const QString& resultFile)
{
    VersionComparison c;
    c.resultFile = resultFile.isEmpty() ? env.homeFile(QStringLiteral("Compared.html")) : resultFile;
    if (last.matches(oldFile, newFile, c.resultFile)) {
        c.shown = true;
        return c;
    }
    last.clear();

    QByteArray oldText, newText;
    if (!readWhole(oldFile, oldText)) {
        c.error = tr("Impossible de lire le fichier %1").arg(oldFile);
        return c;
    }
    if (!readWhole(newFile, newText)) {
        c.error = tr("Impossible de lire le fichier %1").arg(newFile);
        return c;
    }

    const HighlightResult r = HighlightChanges(std::move(oldText), newText, settings, control);
    if (r.failed) {
        env.logError(QStringLiteral("Erreur dans la comparaison"));
        if (r.text.isEmpty() && !newText.isEmpty()) {
            c.error = tr("Erreur dans la comparaison");
            return c;
        }
    }
    c.percent = r.percent;
    c.blocks = r.blocks;
    c.aborted = r.aborted;
    c.summary = comparisonSummary(r.percent, r.blocks, QFileInfo(newFile).lastModified(),
                                  QFileInfo(oldFile).lastModified());

    // A result that cannot be written must not leave the previous pair's page on show.
    const WriteResult written = writeFileAtomically(c.resultFile, asCrLfLines(r.text), false);
    if (!written.ok) {
        env.logError(QStringLiteral("Pb dans CompareWithOldVersion : ") + written.error);
        c.error = written.error;
        return c;
    }
    last.set(oldFile, newFile, c.resultFile);
    c.shown = true;
    c.recomputed = true;
    return c;
}

} // namespace glanix
