#include "views/InfoPage.h"

#include "config/Env.h"
#include "store/FileNames.h"
#include "tests/store/StoreFixture.h"

#include <QFile>

using namespace glanix;
using namespace glanix::test;

namespace {

TDateTime at(int day, int hour, int minute = 0)
{
    return toDateTime(QDateTime(QDate(2026, 3, day), QTime(hour, minute)));
}

// An old version of the element's stored file, dated.
void oldVersion(TElement* e, int v, qint64 size, const QDateTime& date)
{
    QFile f(SaveFileNameVersionPrec(e->GetSavePath(), v));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
    f.flush();
    ASSERT_TRUE(f.setFileTime(date, QFileDevice::FileModificationTime));
}

struct InfoPage : StoreFixture {
    // The value column of a section: what lies between its opening and its closing.
    static QString values(const QString& page, const QString& section)
    {
        const QString open = QStringLiteral(
            R"(<td valign="top" width="100%" bgcolor="#C0C0C0" nowrap><font color="#000080">)");
        const qsizetype s = page.indexOf(section);
        const qsizetype from = page.indexOf(open, s);
        if (s < 0 || from < 0)
            return QStringLiteral("<missing>");
        const qsizetype begin = from + open.size();
        return page.mid(begin, page.indexOf(QStringLiteral("</font>"), begin) - begin);
    }
};

const QString kHeadStart = QStringLiteral(
    R"(<body bgcolor="#FFFFFF" topmargin="1" leftmargin="1" marginheight="1" marginwidth="1">)"
    R"(<table border="0" cellspacing="0" width="100%"><tr><td width="100%" bgcolor="#000000">&nbsp;</td>)"
    R"(<td align="center" rowspan="2" bgcolor="#000080"><font color="#FFFFFF" size="-2">)");

} // namespace

TEST_F(InfoPage, NeverDownloadedAddressShowsBannerAddressAndEmptyStateValues)
{
    TElement* a = add(agent, kindAddress, "Nouvelles", "http://h.example/news.htm");

    EXPECT_EQ(
        BuildInfoPage(*a, 0),
        kHeadStart
            + R"(</font></td><td rowspan="2" bgcolor="#4C4C4C">&nbsp;</td>)"
              R"(<td align="center" rowspan="2" bgcolor="#000080"><font color="#FFFFFF" size="-2">Non téléchargé</font></td>)"
              R"(</tr><tr><td bgcolor="#4C4C4C"><font color="#FFFFFF" size="+2"><b>&nbsp;Nouvelles</b></font></td></tr></table>)"
              R"(<table border="0" cellpadding="2" cellspacing="0" width="100%"><tr>)"
              R"(<td align="right" bgcolor="#000080"><font color="#FFFFFF"><b>URL&nbsp;:</b></font></td>)"
              R"(<td align="center" bgcolor="#C0C0C0"><b><a href="http://h.example/news.htm">http://h.example/news.htm</b></a></td>)"
              R"(</tr><tr><td colspan="2">&nbsp;</td></tr></table></body>)");

    const QString page = BuildInfoPage(*a, infoState);
    EXPECT_TRUE(page.contains(QStringLiteral(
        R"(<table border="0" cellspacing="0" width="100%"><tr><td colspan="3" bgcolor="#000000">)"
        R"(<font color="#FFFFFF" size="-1">&nbsp;État&nbsp;:</font></td></tr><tr>)"
        R"(<td align="right" valign="top" bgcolor="#000080" nowrap><font color="#FFFFFF">)"
        R"(<b>Dernière&nbsp;modification&nbsp;:<br>Téléchargé&nbsp;le&nbsp;:<br>)"
        R"(Dernière&nbsp;vérification&nbsp;:<br>Taille&nbsp;:<br>Anciennes&nbsp;versions&nbsp;:</b>)"
        R"(</font></td><td bgcolor="#4C4C4C">&nbsp;</td>)"
        R"(<td valign="top" width="100%" bgcolor="#C0C0C0" nowrap><font color="#000080"><br><br><br><br>)"
        R"(</font></td></tr><tr><td colspan="3">&nbsp;</td></tr></table></body>)")))
        << page.toStdString();
    EXPECT_FALSE(page.contains("PrevVer"));

    // Nothing stored: no links to show, no trace to show.
    EXPECT_FALSE(BuildInfoPage(*a, infoCommunication).contains("Communication"));
    EXPECT_TRUE(BuildInfoPage(*a, infoLinks).contains(">&nbsp;0 lien(s)&nbsp;:<"));
}

TEST_F(InfoPage, StoredPageShowsDatesSizeShareOldVersionsAndStatus)
{
    TElement* a = add(agent, kindAddress, "Journal", "http://h.example/j.htm", "text/html");
    store_(a, QByteArray(250, 'x'), at(14, 10));
    a->BeforeLastModified = at(14, 10) - 1.5;
    a->DateDownloaded = at(14, 10, 5);
    a->LastVerified = at(15, 8, 30);
    a->Size = 1000;
    a->Complete = false;
    oldVersion(a, 2, 10, QDateTime(QDate(2026, 3, 1), QTime(9, 15)));
    oldVersion(a, 3, 2048, QDateTime(QDate(2026, 2, 2), QTime(17, 0)));
    oldVersion(a, 4, 0, QDateTime(QDate(2026, 1, 5), QTime(7, 45)));
    oldVersion(a, 6, 1, QDateTime(QDate(2026, 1, 1), QTime(7, 45))); // after a gap: not reached

    const QString page = BuildInfoPage(*a, infoState);
    EXPECT_TRUE(page.contains(kHeadStart + "<b>Type&nbsp;:</b> text/html</font>"));
    EXPECT_TRUE(page.contains(">Incomplet\r200&nbsp;: OK</font>"));
    EXPECT_EQ(
        values(page, "État"),
        R"(<a href="PrevVer01">samedi&nbsp;14&nbsp;mars&nbsp;2026&nbsp;10:00</a>&nbsp;(précédente&nbsp;2&nbsp;jours&nbsp;avant)<br>)"
        R"(samedi&nbsp;14&nbsp;mars&nbsp;2026&nbsp;10:05<br>)"
        R"(dimanche&nbsp;15&nbsp;mars&nbsp;2026&nbsp;08:30<br>)"
        R"(1000&nbsp;octets&nbsp;-&nbsp;25%&nbsp;chargés<br>)"
        R"(<a href="PrevVer2">dimanche 1 mars 2026 09:15 - 10 octets</a><br>)"
        R"(<a href="PrevVer3">lundi 2 février 2026 17:00 - 2,00 Ko</a><br>)"
        R"(<a href="PrevVer4">lundi 5 janvier 2026 07:45 - 0 octets</a>)");

    // A complete copy: the share and the "Incomplet" go.
    a->Complete = true;
    const QString complete = BuildInfoPage(*a, infoState);
    EXPECT_TRUE(complete.contains(">200&nbsp;: OK</font>"));
    EXPECT_TRUE(complete.contains("<br>1000&nbsp;octets<br><a href=\"PrevVer2\">"));

    // The copy went missing: 0% loaded, no crash, no division by the missing file.
    a->Complete = false;
    QFile::remove(a->GetSavePath());
    EXPECT_TRUE(BuildInfoPage(*a, infoState).contains("1000&nbsp;octets&nbsp;-&nbsp;0%&nbsp;chargés<br>"));
}

TEST_F(InfoPage, PropertiesShowTheInheritedSettingsAndRefreshTexts)
{
    agent->SetExcludeMask("*.zip");
    TElement* folder = add(agent, kindFolder, "Dossier");
    TElement* a = add(folder, kindAddress, "Page", "http://h.example/p.htm");
    a->SetDownLoadLinksDepth(2);
    a->SetDownLoadLinksStart("http://h.example/doc/");
    a->SetDownLoadType(1);
    a->SetDownLoadImages(false);
    a->SetVersions(3);

    a->SetFrequency(7.05);
    EXPECT_EQ(values(BuildInfoPage(*a, infoProperties), "Propriétés"),
              "7&nbsp;jours&nbsp;après&nbsp;modification,&nbsp;puis&nbsp;tous&nbsp;les&nbsp;5&nbsp;jours<br>"
              "Informations seulement<br>Non<br>2<br>3<br>http://h.example/doc/<br>*.zip");
    EXPECT_TRUE(
        BuildInfoPage(*a, infoProperties)
            .contains(
                R"(<table border="0" cellspacing="0" width="100%"><tr><td colspan="3" bgcolor="#000000">)"
                R"(<font color="#FFFFFF" size="-1">&nbsp;Propriétés&nbsp;:</font></td></tr><tr>)"
                R"(<td align="right" valign="top" bgcolor="#000080" nowrap><font color="#FFFFFF">)"
                R"(<b>Rafraîchissement&nbsp;:<br>Type&nbsp;de&nbsp;récupération&nbsp;:<br>)"
                R"(Chargement&nbsp;des&nbsp;images&nbsp;:<br>Profondeur&nbsp;:<br>)"
                R"(Anciennes&nbsp;versions&nbsp;à&nbsp;conserver&nbsp;:<br>Liens&nbsp;commençant&nbsp;par&nbsp;:<br>)"
                R"(Sauf&nbsp;:</b></font></td><td valign="top" bgcolor="#4C4C4C">&nbsp;</td>)"
                R"(<td valign="top" width="100%" bgcolor="#C0C0C0" nowrap><font color="#000080">)"));

    a->SetIncludeMask("*.htm;*.html");
    const QString only = BuildInfoPage(*a, infoProperties);
    EXPECT_TRUE(only.contains("<br>Seulement&nbsp;:</b>"));
    EXPECT_TRUE(only.contains("<br>*.htm;*.html</font>"));

    const std::pair<double, QString> refresh[] = {
        {0, "A&nbsp;chaque&nbsp;connexion<br>"},
        {-1, "Automatique&nbsp;(dès&nbsp;que&nbsp;possible)<br>"},
        {-2, "Automatique,&nbsp;seulement&nbsp;si&nbsp;lu&nbsp;(dès&nbsp;que&nbsp;possible)<br>"},
        {-3, "A&nbsp;la&nbsp;demande<br>"},
    };
    for (const auto& [code, text] : refresh) {
        a->SetFrequency(code);
        EXPECT_TRUE(values(BuildInfoPage(*a, infoProperties), "Propriétés").startsWith(text)) << code;
    }
    // Modified a day ago after ten quiet days, checked now: next check 0.66 × 10 days after the
    // change, less two hours.
    a->SetFrequency(-1);
    a->LastModified = home.env().now() - 1;
    a->BeforeLastModified = home.env().now() - 11;
    a->LastVerified = home.env().now();
    EXPECT_TRUE(values(BuildInfoPage(*a, infoProperties), "Propriétés")
                    .startsWith("Automatique&nbsp;(dans&nbsp;6&nbsp;jours)<br>"));

    // A folder: no address, no state (even when asked), no next-check text.
    folder->SetFrequency(-1);
    const QString f = BuildInfoPage(*folder, infoState | infoProperties | infoLinks | infoCommunication);
    EXPECT_TRUE(f.contains("<b>&nbsp;Dossier</b>"));
    EXPECT_TRUE(f.contains("size=\"-2\"></font></td>")); // no type, no status
    EXPECT_FALSE(f.contains("URL&nbsp;:"));
    EXPECT_FALSE(f.contains("État"));
    EXPECT_FALSE(f.contains("lien(s)"));
    EXPECT_TRUE(values(f, "Propriétés").startsWith("Automatique<br>Complète<br>Oui<br>"));
    EXPECT_TRUE(f.endsWith(R"(<td colspan="3">&nbsp;</td></tr></table></body>)"));

    home.env().setDebug(true);
    EXPECT_TRUE(BuildInfoPage(*folder, 0)
                    .endsWith("</table>Sauver sous " + folder->GetSavePath() + "<br> Descendance dans "
                              + folder->GetChildsPath() + "</body>"));
}

TEST_F(InfoPage, LinksComeFromTheStoredPageAndTheAnalysisIsFreedAfterwards)
{
    TElement* a = add(agent, kindAddress, "Sommaire", "http://h.example/dir/index.htm", "text/html");
    store_(a,
           "<html><frameset><frame src=\"top.htm\"></frameset>"
           "<a href=\"a.htm\">A</a><a href=\"/b.htm\">B</a><img src=\"i/logo.gif\"></html>");

    const QString page = BuildInfoPage(*a, infoLinks);
    EXPECT_TRUE(page.contains(
        R"(<table border="0" cellspacing="0" width="100%"><tr><td width="50%" align="center" bgcolor="#000000">)"
        R"(<font color="#FFFFFF" size="-1">&nbsp;3 lien(s)&nbsp;:</font></td><td colspan="2" bgcolor="#000000">&nbsp;</td>)"
        R"(<td width="50%" align="center" bgcolor="#000000"><font color="#FFFFFF" size="2">&nbsp;1 image(s)&nbsp;:</font></td>)"
        R"(</tr><tr><td valign="top" bgcolor="#C0C0C0" nowrap><font size="-1">)"
        R"(&#149;&nbsp;(frame)&nbsp;<a href="http://h.example/dir/top.htm">http://h.example/dir/top.htm</a><br>)"
        R"(&#149;&nbsp;<a href="http://h.example/dir/a.htm">http://h.example/dir/a.htm</a><br>)"
        R"(&#149;&nbsp;<a href="http://h.example/b.htm">http://h.example/b.htm</a><br>)"
        R"(</font></td><td valign="top" bgcolor="#000080">&nbsp;</td><td valign="top" bgcolor="#4C4C4C">&nbsp;</td>)"
        R"(<td valign="top" bgcolor="#C0C0C0" nowrap><font size="-1">)"
        R"(&#149;&nbsp;<a href="http://h.example/dir/i/logo.gif">http://h.example/dir/i/logo.gif</a><br>)"
        R"(</font></td></tr></table><P></body>)"))
        << page.toStdString();
    EXPECT_FALSE(a->Ext()->Analysed);
    EXPECT_TRUE(a->Ext()->PageLinks.isEmpty());
    EXPECT_TRUE(a->Ext()->ImageLinks.isEmpty());

    // An image has an address and a state but no links of its own.
    TElement* image = add(a, kindImage, "logo.gif", "http://h.example/dir/i/logo.gif", "image/gif");
    const QString img = BuildInfoPage(*image, infoState | infoLinks);
    EXPECT_TRUE(img.contains("<b>Type&nbsp;:</b> image/gif"));
    EXPECT_TRUE(img.contains(">http://h.example/dir/i/logo.gif</b></a>"));
    EXPECT_TRUE(img.contains("&nbsp;État&nbsp;:"));
    EXPECT_FALSE(img.contains("lien(s)"));
}

TEST_F(InfoPage, CommunicationShowsTheStoredTraceWithItsMarkers)
{
    TElement* a = add(agent, kindAddress, "Trace", "http://h.example/t.htm");
    a->LastVerified = home.env().now();
    a->Messages = {" <- GET /t.htm HTTP/1.1", " -> HTTP/1.1 200 OK", " -- Connexion fermée",
                   "Devient " + QString(300, 'y'), " -> " + QString(300, 'z')};
    ASSERT_TRUE(a->Save());
    ASSERT_TRUE(a->Messages.isEmpty());

    const QString page = BuildInfoPage(*a, infoCommunication);
    EXPECT_TRUE(page.contains(
        R"(<table border="0" cellspacing="0" width="100%">    <tr>        <td colspan="3" bgcolor="#000000">)"
        R"(<font color="#FFFFFF" size="-1">&nbsp;Communication&nbsp;:</font></td>    </tr>    <tr>)"
        R"(        <td align="center" valign="top" bgcolor="#000080" nowrap><font color="#FFFFFF"><b>)"
        R"(&lt;-<br>-&gt;<br>--<br><br>-&gt;<br></b></font></td><td valign="top" bgcolor="#4C4C4C">&nbsp;</td>)"
        R"(<td valign="top" width="100%" bgcolor="#C0C0C0" nowrap><font color="#000080">)"
        "GET&nbsp;/t.htm&nbsp;HTTP/1.1<br>HTTP/1.1&nbsp;200&nbsp;OK<br>Connexion&nbsp;fermée<br>Devient&nbsp;"
        + QString(300, 'y') + "<br>" + QString(255, 'z') + "<br>"
        + R"(</font></td></tr><tr><td colspan="3">&nbsp;</td></tr></table></body>)"))
        << page.toStdString();
    // Read for the page only: not kept in memory.
    EXPECT_TRUE(a->Messages.isEmpty());
}

TEST_F(InfoPage, TextFromServersPagesAndUsersCannotInjectMarkup)
{
    const QString evil = R"(<script>alert("x")</script> & co)";
    TElement* a = add(agent, kindAddress, "Nom", R"(http://h.example/a?b=1&c="<script>")", "text/html");
    a->SetName(evil);
    ASSERT_TRUE(a->GetName().contains('&'));
    a->SetDownLoadLinksStart("<script>");
    a->SetIncludeMask("\"<b>\"");
    store_(a,
           R"(<html><a href="http://h.example/x?a=1&amp;b=&quot;&lt;script&gt;">x</a>)"
           R"(<a href='http://h.example/"><script>alert(1)</script>'>y</a></html>)");
    a->Messages
        = {R"x( -> X-Evil: <script>alert("1")</script> & "q")x", R"x(<img src=x onerror="alert(2)">)x"};
    home.env().setDebug(true);

    const QString page = BuildInfoPage(*a, infoState | infoProperties | infoLinks | infoCommunication);
    EXPECT_FALSE(page.contains("<script", Qt::CaseInsensitive)) << page.toStdString();
    EXPECT_FALSE(page.contains("<img", Qt::CaseInsensitive));
    EXPECT_FALSE(page.contains("<b>\""));
    EXPECT_TRUE(page.contains("<b>&nbsp;" + a->GetName().toHtmlEscaped() + "</b>"));
    EXPECT_TRUE(page.contains(R"(<a href="http://h.example/a?b=1&amp;c=&quot;&lt;script&gt;&quot;">)"));
    EXPECT_TRUE(page.contains(
        "X-Evil:&nbsp;&lt;script&gt;alert(&quot;1&quot;)&lt;/script&gt;&nbsp;&amp;&nbsp;&quot;q&quot;<br>"));
    EXPECT_TRUE(page.contains("&lt;script&gt;<br>&quot;&lt;b&gt;&quot;</font>"));
    // Every link the page holds stays inside its own attribute and text.
    EXPECT_EQ(page.count("<a href=\""), 4); // the address, PrevVer01 and the two links
    EXPECT_FALSE(page.contains("\"><script"));

    TElement* image = add(a, kindImage, "i.gif", "http://h.example/i.gif", R"(image/gif"><script>)");
    const QString img = BuildInfoPage(*image, 0);
    EXPECT_FALSE(img.contains("<script"));
    EXPECT_TRUE(img.contains("<b>Type&nbsp;:</b> image/gif&quot;&gt;&lt;script&gt;</font>"));
}
