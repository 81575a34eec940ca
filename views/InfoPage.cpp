#include "views/InfoPage.h"

#include "config/Env.h"
#include "config/FrenchText.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/NextCheck.h"
#include "store/PageAnalysis.h"
#include "store/StatusTexts.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("InfoPage", text);
}

const QString kLongDate = QStringLiteral("dddd d MMMM yyyy hh:mm");

bool addrLike(const TElement& e)
{
    return e.Kind == kindAddress || e.Kind == kindPage || e.Kind == kindImage;
}

// What a server, a page or a user wrote is shown as text, never read as markup.
QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

QString hardSpaces(QString text)
{
    return text.replace(u' ', QStringLiteral("&nbsp;"));
}

QString longDate(TDateTime days)
{
    return frenchDate(days, kLongDate);
}

QString typeText(const TElement& e)
{
    if (e.ContentType.isEmpty())
        return {};
    return QStringLiteral("<b>Type&nbsp;:</b> ") + esc(e.ContentType);
}

QString statusText(const TElement& e)
{
    if (!addrLike(e))
        return {};
    QString text = StatusText(e.StatusNumber);
    if (!e.Complete)
        text.prepend(tr("Incomplet") + u'\r');
    return text.replace(QStringLiteral(" :"), QStringLiteral("&nbsp;:"));
}

void appendHead(QString& page, const TElement& e)
{
    page += QStringLiteral(
        R"(<body bgcolor="#FFFFFF" topmargin="1" leftmargin="1" marginheight="1" marginwidth="1">)"
        R"(<table border="0" cellspacing="0" width="100%"><tr>)"
        R"(<td width="100%" bgcolor="#000000">&nbsp;</td>)"
        R"(<td align="center" rowspan="2" bgcolor="#000080"><font color="#FFFFFF" size="-2">)");
    page += typeText(e);
    page += QStringLiteral(
        R"(</font></td><td rowspan="2" bgcolor="#4C4C4C">&nbsp;</td>)"
        R"(<td align="center" rowspan="2" bgcolor="#000080"><font color="#FFFFFF" size="-2">)");
    page += statusText(e);
    page += QStringLiteral(
        R"(</font></td></tr><tr><td bgcolor="#4C4C4C"><font color="#FFFFFF" size="+2"><b>&nbsp;)");
    page += esc(e.GetName());
    page += QStringLiteral("</b></font></td></tr></table>");
}

void appendAddress(QString& page, const TElement& e)
{
    const QString url = esc(e.GetURL());
    page += QStringLiteral(
        R"(<table border="0" cellpadding="2" cellspacing="0" width="100%"><tr>)"
        R"(<td align="right" bgcolor="#000080"><font color="#FFFFFF"><b>URL&nbsp;:</b></font></td>)"
        R"(<td align="center" bgcolor="#C0C0C0"><b><a href=")");
    page += url + QStringLiteral(R"(">)") + url;
    page += QStringLiteral(R"(</b></a></td></tr><tr><td colspan="2">&nbsp;</td></tr></table>)");
}

QString lastModifiedValue(const TElement& e)
{
    if (e.LastModified <= 0)
        return {};
    // The blanks of the texts become hard spaces, not the one inside the tag.
    QString value = QStringLiteral(R"(<a href="PrevVer01">)") + hardSpaces(longDate(e.LastModified))
        + QStringLiteral("</a>");
    if (e.BeforeLastModified > 0)
        value += hardSpaces(tr(" (précédente ") + durationText(e.LastModified - e.BeforeLastModified)
                            + tr(" avant)"));
    return value;
}

QString sizeValue(TElement& e, const QString& savePath)
{
    if (e.Size <= 0)
        return {};
    QString value = SizeText(e.Size);
    if (!e.Complete) {
        const qint64 stored = savePath.isEmpty() ? 0 : QFileInfo(savePath).size();
        value += QStringLiteral(" - ") + QString::number(stored * 100 / e.Size) + tr("% chargés");
    }
    return hardSpaces(value);
}

QString oldVersions(const QString& savePath)
{
    QString value;
    if (savePath.isEmpty())
        return value;
    for (int v = 2;; ++v) {
        const QFileInfo file(SaveFileNameVersionPrec(savePath, v));
        if (!file.isFile())
            break;
        if (v > 2)
            value += QStringLiteral("<br>");
        value += QStringLiteral(R"(<a href="PrevVer)") + QString::number(v) + QStringLiteral(R"(">)")
            + frenchDate(file.lastModified(), kLongDate) + QStringLiteral(" - ") + SizeText(file.size())
            + QStringLiteral("</a>");
    }
    return value;
}

void appendState(QString& page, TElement& e)
{
    const QString savePath = e.GetSavePath();
    page += QStringLiteral(R"(<table border="0" cellspacing="0" width="100%"><tr>)"
                           R"(<td colspan="3" bgcolor="#000000"><font color="#FFFFFF" size="-1">&nbsp;)")
        + tr("État") + QStringLiteral("&nbsp;:</font></td></tr><tr>")
        + QStringLiteral(R"(<td align="right" valign="top" bgcolor="#000080" nowrap><font color="#FFFFFF">)")
        + tr("<b>Dernière&nbsp;modification&nbsp;:<br>Téléchargé&nbsp;le&nbsp;:<br>"
             "Dernière&nbsp;vérification&nbsp;:<br>Taille&nbsp;:<br>Anciennes&nbsp;versions&nbsp;:</b>")
        + QStringLiteral(R"(</font></td><td bgcolor="#4C4C4C">&nbsp;</td>)"
                         R"(<td valign="top" width="100%" bgcolor="#C0C0C0" nowrap><font color="#000080">)");
    page += lastModifiedValue(e) + QStringLiteral("<br>");
    page += hardSpaces(longDate(e.DateDownloaded)) + QStringLiteral("<br>");
    page += hardSpaces(longDate(e.LastVerified)) + QStringLiteral("<br>");
    page += sizeValue(e, savePath) + QStringLiteral("<br>");
    page += oldVersions(savePath);
    page += QStringLiteral(R"(</font></td></tr><tr><td colspan="3">&nbsp;</td></tr></table>)");
}

QString refreshValue(TElement& e)
{
    const double f = e.GetFrequency();
    QString value;
    if (f == 0)
        value = tr("A chaque connexion");
    else if (f == -1)
        value = addrLike(e) ? tr("Automatique (") + nextCheckText(e) + u')' : tr("Automatique");
    else if (f == -2)
        value = addrLike(e) ? tr("Automatique, seulement si lu (") + nextCheckText(e) + u')'
                            : tr("Automatique, seulement si lu");
    else if (f == -3)
        value = tr("A la demande");
    else if (f == kFrequencyInherit)
        value = tr("Inconnu");
    else {
        const double whole = std::trunc(f);
        value = QString::number(static_cast<qint64>(whole)) + tr(" jours après modification, puis tous les ")
            + QString::number(std::llround((f - whole) * 100)) + tr(" jours");
    }
    return hardSpaces(value);
}

void appendProperties(QString& page, TElement& e)
{
    const QString include = e.GetIncludeMask();
    const bool only = !include.isEmpty();
    page += QStringLiteral(R"(<table border="0" cellspacing="0" width="100%"><tr>)"
                           R"(<td colspan="3" bgcolor="#000000"><font color="#FFFFFF" size="-1">&nbsp;)")
        + tr("Propriétés") + QStringLiteral("&nbsp;:</font></td></tr><tr>")
        + QStringLiteral(R"(<td align="right" valign="top" bgcolor="#000080" nowrap><font color="#FFFFFF">)")
        + tr("<b>Rafraîchissement&nbsp;:<br>Type&nbsp;de&nbsp;récupération&nbsp;:<br>"
             "Chargement&nbsp;des&nbsp;images&nbsp;:<br>Profondeur&nbsp;:<br>"
             "Anciennes&nbsp;versions&nbsp;à&nbsp;conserver&nbsp;:<br>Liens&nbsp;commençant&nbsp;par&nbsp;:<"
             "br>")
        + (only ? tr("Seulement") : tr("Sauf"))
        + QStringLiteral(R"(&nbsp;:</b></font></td><td valign="top" bgcolor="#4C4C4C">&nbsp;</td>)"
                         R"(<td valign="top" width="100%" bgcolor="#C0C0C0" nowrap><font color="#000080">)");
    page += refreshValue(e) + QStringLiteral("<br>");
    page += (e.GetDownLoadType() == 0 ? tr("Complète") : tr("Informations seulement"))
        + QStringLiteral("<br>");
    page += (e.GetDownLoadImages() ? tr("Oui") : tr("Non")) + QStringLiteral("<br>");
    page += QString::number(e.GetDownLoadLinksDepth()) + QStringLiteral("<br>");
    page += QString::number(e.GetVersions()) + QStringLiteral("<br>");
    page += esc(e.GetDownLoadLinksStart()) + QStringLiteral("<br>");
    page += esc(only ? include : e.GetExcludeMask());
    page += QStringLiteral(R"(</font></td></tr><tr><td colspan="3">&nbsp;</td></tr></table>)");
}

void appendLinkLines(QString& page, const TElement& e, const QStringList& lines, const QString& prefix)
{
    for (const QString& line : lines) {
        const QString target = esc(ResolveURL(e.GetURL(), FirstWord(line)));
        page += prefix + QStringLiteral(R"(<a href=")") + target + QStringLiteral(R"(">)") + target
            + QStringLiteral("</a><br>");
    }
}

void appendLinks(QString& page, TElement& e)
{
    AnalysePage(e);
    const TExt* ext = e.Ext();
    const QStringList none;
    const QStringList& frames = ext ? ext->FrameLinks : none;
    const QStringList& links = ext ? ext->PageLinks : none;
    const QStringList& images = ext ? ext->ImageLinks : none;
    page += QStringLiteral(
                R"(<table border="0" cellspacing="0" width="100%"><tr>)"
                R"(<td width="50%" align="center" bgcolor="#000000"><font color="#FFFFFF" size="-1">&nbsp;)")
        + QString::number(frames.size() + links.size()) + tr(" lien(s)")
        + QStringLiteral(
                R"(&nbsp;:</font></td><td colspan="2" bgcolor="#000000">&nbsp;</td>)"
                R"(<td width="50%" align="center" bgcolor="#000000"><font color="#FFFFFF" size="2">&nbsp;)")
        + QString::number(images.size()) + tr(" image(s)")
        + QStringLiteral(
                R"(&nbsp;:</font></td></tr><tr><td valign="top" bgcolor="#C0C0C0" nowrap><font size="-1">)");
    const QString bullet = QStringLiteral("&#149;&nbsp;");
    appendLinkLines(page, e, frames, bullet + QStringLiteral("(frame)&nbsp;"));
    appendLinkLines(page, e, links, bullet);
    page += QStringLiteral(R"(</font></td><td valign="top" bgcolor="#000080">&nbsp;</td>)"
                           R"(<td valign="top" bgcolor="#4C4C4C">&nbsp;</td>)"
                           R"(<td valign="top" bgcolor="#C0C0C0" nowrap><font size="-1">)");
    appendLinkLines(page, e, images, bullet);
    e.FreeAnalysis();
    page += QStringLiteral("</font></td></tr></table><P>");
}

void appendCommunication(QString& page, TElement& e)
{
    const bool loaded = e.Messages.isEmpty();
    const QStringList lines = e.GetMessages();
    // Lines read from the file only for this page are not kept in memory.
    if (loaded)
        e.ClearMessages();
    if (lines.isEmpty())
        return;
    QString markers;
    QString texts;
    for (const QString& line : lines) {
        const QStringView mark = QStringView(line).mid(1, 2);
        const bool marked = mark == u"->" || mark == u"<-" || mark == u"--";
        if (mark == u"->")
            markers += QStringLiteral("-&gt;<br>");
        else if (mark == u"<-")
            markers += QStringLiteral("&lt;-<br>");
        else if (mark == u"--")
            markers += QStringLiteral("--<br>");
        else
            markers += QStringLiteral("<br>");
        texts += hardSpaces(esc(marked ? line.mid(4, 255) : line)) + QStringLiteral("<br>");
    }
    page
        += QStringLiteral(
               R"(<table border="0" cellspacing="0" width="100%">)"
               R"(    <tr>)"
               R"(        <td colspan="3" bgcolor="#000000"><font color="#FFFFFF" size="-1">&nbsp;)")
        + tr("Communication")
        + QStringLiteral(
               R"(&nbsp;:</font></td>)"
               R"(    </tr>)"
               R"(    <tr>)"
               R"(        <td align="center" valign="top" bgcolor="#000080" nowrap><font color="#FFFFFF"><b>)");
    page += markers;
    page
        += QStringLiteral(R"(</b></font></td><td valign="top" bgcolor="#4C4C4C">&nbsp;</td>)"
                          R"(<td valign="top" width="100%" bgcolor="#C0C0C0" nowrap><font color="#000080">)");
    page += texts;
    page += QStringLiteral(R"(</font></td></tr><tr><td colspan="3">&nbsp;</td></tr></table>)");
}

} // namespace

QString BuildInfoPage(TElement& e, int sections)
{
    QString page;
    appendHead(page, e);
    if (addrLike(e))
        appendAddress(page, e);
    if ((sections & infoState) && addrLike(e))
        appendState(page, e);
    if (sections & infoProperties)
        appendProperties(page, e);
    if ((sections & infoLinks) && e.isAddressOrPage())
        appendLinks(page, e);
    if ((sections & infoCommunication) && addrLike(e))
        appendCommunication(page, e);
    if (e.store().env().isDebug())
        page += tr("Sauver sous ") + esc(e.GetSavePath()) + tr("<br> Descendance dans ")
            + esc(e.GetChildsPath());
    page += QStringLiteral("</body>");
    return page;
}

} // namespace glanix
