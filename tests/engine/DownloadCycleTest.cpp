#include "config/AtomicFile.h"
#include "engine/HttpText.h"
#include "store/FileNames.h"
#include "store/StatusTexts.h"
#include "tests/engine/EngineFixture.h"

using namespace glanix;
using namespace glanix::test;
using Outcome = DownloadReport::Outcome;

namespace {

struct DownloadCycle : EngineFixture {
    TElement* home_ = nullptr;

    // A small site: a frameset, pages with images and links, a link outside the prefix, a
    // link excluded by the masks, a dead link and a page one level too deep.
    void buildSite()
    {
        page("index.html",
             "<html><head><title>Accueil</title></head><frameset><frame src=\"menu.html\">"
             "<frame src=\"news/a.html\"></frameset></html>");
        page("menu.html",
             "<html><body><img src=\"logo.gif\"><a href=\"news/b.html\">B</a>"
             "<a href=\"files/doc.zip\">zip</a><a href=\"/other/x.html\">hors</a></body></html>");
        page("news/a.html",
             "<html><head><title>Article A</title></head><body><img src=\"../logo.gif\">"
             "<img src=\"pic.png\"><a href=\"b.html\">b</a><a href=\"dead.html\">mort</a></body></html>");
        page("news/b.html",
             "<html><head><title>Article B</title></head><body><a href=\"c.html\">c</a></body></html>");
        page("news/c.html", "<html><body><a href=\"d.html\">d</a></body></html>");
        page("news/d.html", "<html><body>trop loin</body></html>");
        page("news/pic.png", QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, 'p'));
        page("logo.gif", QByteArray("GIF89a", 6) + QByteArray(100, 'g'));
        page("files/doc.zip", "PK");
        page("other/x.html", "<html>ailleurs</html>");
    }

    TElement* openSite(int depth = 2)
    {
        TElement* agent = agentWith({{QStringLiteral("Accueil"), server.url("/index.html")}}, depth);
        home_ = agent->Node()->firstChild()->element();
        home_->SetDownLoadLinksStart(server.url("/news/"));
        home_->SetExcludeMask(QStringLiteral("*.zip"));
        return agent;
    }
};

} // namespace

TEST_F(DownloadCycle, FirstCycleStoresPagesFramesImagesAndLinksToTheDepth)
{
    buildSite();
    openSite(2);
    ASSERT_TRUE(runCycle());

    for (const char* path : {"/index.html", "/menu.html", "/news/a.html", "/news/b.html", "/news/c.html",
                             "/logo.gif", "/news/pic.png"}) {
        TElement* e = find(server.url(QString::fromLatin1(path)));
        ASSERT_NE(e, nullptr) << path;
        EXPECT_EQ(e->StatusNumber, 200) << path;
        EXPECT_TRUE(e->Complete) << path;
        EXPECT_EQ(read(e->GetSavePath()), read(site + QString::fromLatin1(path).mid(1))) << path;
    }
    // Frames keep the page's depth; b is two links away, c three; the prefix keeps "/other"
    // out and the mask the archive.
    EXPECT_EQ(find(server.url("/news/d.html")), nullptr);
    EXPECT_EQ(find(server.url("/other/x.html")), nullptr);
    EXPECT_EQ(find(server.url("/files/doc.zip")), nullptr);
    EXPECT_EQ(server.count("GET", "/other/x.html"), 0);
    EXPECT_EQ(find(server.url("/news/dead.html"))->StatusNumber, 404);
    EXPECT_EQ(find(server.url("/news/dead.html"))->State, stateError);

    // New pages are unread, provisional names took the titles, images are not marked.
    TElement* article = find(server.url("/news/a.html"));
    EXPECT_EQ(article->GetName(), u"Article A");
    EXPECT_EQ(article->State, stateUnread);
    EXPECT_EQ(find(server.url("/logo.gif"))->State, stateRead);
    EXPECT_EQ(article->ContentType, u"text/html");

    const Scheduler& s = *scheduler;
    EXPECT_EQ(s.NbNew, view.count(Outcome::New));
    EXPECT_EQ(s.NbVerified, static_cast<int>(view.reports.size()));
    EXPECT_EQ(view.count(Outcome::Error), 1);
    EXPECT_EQ(s.Running, 0);
    EXPECT_TRUE(s.Threads().empty());
    // Every document was fetched once in the cycle.
    EXPECT_EQ(server.count("GET", "/news/b.html"), 1);
    EXPECT_EQ(server.count("GET", "/logo.gif"), 1);
    EXPECT_FALSE(view.barVisible);
    EXPECT_EQ(view.panels[panelCommunication], QString());
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(DownloadCycle, UnchangedSiteCostsHeadRequestsOnlyAndRewritesNothing)
{
    buildSite();
    openSite(2);
    ASSERT_TRUE(runCycle());
    const QString stored = find(server.url("/news/a.html"))->GetSavePath();
    const QDateTime written = QFileInfo(stored).lastModified();
    const int verified = scheduler->NbVerified;
    server.clearRequests();

    ASSERT_TRUE(runCycle());
    EXPECT_EQ(server.count("GET"), 0);
    EXPECT_GT(server.count("HEAD"), 3);
    EXPECT_EQ(scheduler->NbNew + scheduler->NbModified, 0);
    EXPECT_EQ(view.count(Outcome::Unchanged) + view.count(Outcome::Error),
              static_cast<int>(view.reports.size()));
    EXPECT_LE(scheduler->NbVerified, verified);
    EXPECT_EQ(QFileInfo(stored).lastModified(), written);
    EXPECT_FALSE(QFileInfo::exists(SaveFileNameVersionPrec(stored, 2)));
}

TEST_F(DownloadCycle, ChangedPageBecomesTheNewVersionUnreadAndCountedModified)
{
    page("p.html", "<html><body>avant</body></html>", 7200);
    agentWith({{QStringLiteral("Page"), server.url("/p.html")}});
    ASSERT_TRUE(runCycle());
    TElement* e = find(server.url("/p.html"));
    e->SetState(stateRead);
    const TDateTime first = e->LastModified;

    page("p.html", "<html><body>après le changement</body></html>", 60);
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(read(e->GetSavePath()), "<html><body>après le changement</body></html>");
    EXPECT_EQ(read(SaveFileNameVersionPrec(e->GetSavePath(), 2)), "<html><body>avant</body></html>");
    EXPECT_EQ(e->State, stateUnread);
    EXPECT_EQ(scheduler->NbModified, 1);
    EXPECT_EQ(scheduler->NbNew, 0);
    EXPECT_EQ(view.count(Outcome::Modified), 1);
    EXPECT_EQ(e->BeforeLastModified, first);
    EXPECT_GT(e->LastModified, first);
}

TEST_F(DownloadCycle, SameBytesUnderANewDateAreNotAVersion)
{
    page("p.html", "<p>pareil</p>", 7200);
    agentWith({{QStringLiteral("Page"), server.url("/p.html")}});
    ASSERT_TRUE(runCycle());
    TElement* e = find(server.url("/p.html"));
    e->SetState(stateRead);
    page("p.html", "<p>pareil</p>", 60);
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(server.count("GET", "/p.html"), 2);
    EXPECT_FALSE(QFileInfo::exists(SaveFileNameVersionPrec(e->GetSavePath(), 2)));
    EXPECT_EQ(e->State, stateRead);
    EXPECT_EQ(scheduler->NbModified + scheduler->NbNew, 0);
}

TEST_F(DownloadCycle, VersionsShiftWithoutLosingOneThatMustStay)
{
    page("p.html", "v1", 9000);
    TElement* agent = agentWith({{QStringLiteral("Page"), server.url("/p.html")}});
    agent->SetVersions(2);
    ASSERT_TRUE(runCycle());
    page("p.html", "v2", 6000);
    ASSERT_TRUE(runCycle());
    page("p.html", "v3", 3000);
    ASSERT_TRUE(runCycle());
    page("p.html", "v4", 60);
    ASSERT_TRUE(runCycle());
    const QString path = find(server.url("/p.html"))->GetSavePath();
    EXPECT_EQ(read(path), "v4");
    EXPECT_EQ(read(SaveFileNameVersionPrec(path, 2)), "v3");
    EXPECT_EQ(read(SaveFileNameVersionPrec(path, 3)), "v2");
    EXPECT_FALSE(QFileInfo::exists(SaveFileNameVersionPrec(path, 4)));
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(DownloadCycle, MessagesRecordTheWholeExchangeInOrder)
{
    page("p.html", "<html>p</html>");
    agentWith({{QStringLiteral("Page"), server.url("/p.html")}});
    ASSERT_TRUE(runCycle());
    const QStringList m = find(server.url("/p.html"))->GetMessages();
    const auto at = [&](const QString& start, qsizetype from = 0) {
        for (qsizetype i = from; i < m.size(); ++i) {
            if (m[i].startsWith(start))
                return i;
        }
        return qsizetype(-1);
    };
    const qsizetype head = at(u" <- HEAD /p.html HTTP/1.0"_qs);
    const qsizetype headAnswer = at(u" -> HTTP/1."_qs, head);
    const qsizetype get = at(u" <- GET /p.html HTTP/1.0"_qs, headAnswer);
    const qsizetype getAnswer = at(u" -> HTTP/1."_qs, get);
    EXPECT_GE(head, 1) << m.join(u'\n').toStdString(); // after the socket's opening
    EXPECT_GT(headAnswer, head);
    EXPECT_GT(get, headAnswer);
    EXPECT_GT(getAnswer, get);
    EXPECT_EQ(m.filter(u"ouverte avec le serveur"_qs).size(), 2);
    EXPECT_EQ(m.filter(u"fermée"_qs).size(), 2);
    EXPECT_EQ(m.constLast(), u"OK");
}

TEST_F(DownloadCycle, IncompletePageIsResumedWithARangeAndEndsAt200)
{
    const QByteArray body = QByteArray(4000, 'a') + QByteArray(1000, 'b');
    const QDateTime modified = QDateTime::currentDateTime().addDays(-2);
    std::atomic<int> gets = 0;
    server.on("/long.html", [&](const RecordedRequest& request) {
        Reply r = TestServer::answerDocument(request, Document {.body = body, .lastModified = modified});
        // The first transfer breaks after the headers and 1000 bytes of body.
        if (request.method == "GET" && gets++ == 0)
            r.closeAfter = 1200;
        return r;
    });
    agentWith({{QStringLiteral("Long"), server.url("/long.html")}});
    ASSERT_TRUE(runCycle());
    TElement* e = find(server.url("/long.html"));
    EXPECT_FALSE(e->Complete);
    EXPECT_TRUE(e->StatusText().endsWith(u" - Incomplet"));
    const qint64 partial = QFileInfo(e->GetSavePath()).size();
    EXPECT_GT(partial, 0);
    EXPECT_LT(partial, body.size());

    ASSERT_TRUE(runCycle());
    const QList<RecordedRequest> requests = server.requests();
    const auto resumed = std::find_if(requests.rbegin(), requests.rend(),
                                      [](const RecordedRequest& r) { return r.method == "GET"; });
    ASSERT_NE(resumed, requests.rend());
    EXPECT_EQ(resumed->header("Range"), QStringLiteral("bytes=%1-4999/5000").arg(partial).toLatin1());
    EXPECT_TRUE(e->Complete);
    EXPECT_EQ(e->StatusNumber, 200);
    EXPECT_EQ(read(e->GetSavePath()), body);
    // The broken copy was not kept as a version of the page.
    EXPECT_FALSE(QFileInfo::exists(SaveFileNameVersionPrec(e->GetSavePath(), 2)));
}

TEST_F(DownloadCycle, IncompleteImageIsNotStored)
{
    page("p.html", "<img src=\"broken.gif\">");
    server.on("/broken.gif", [](const RecordedRequest& request) {
        Reply r = Reply::text(200, QByteArray(800, 'i'), "image/gif");
        if (request.method == "GET")
            r.closeAfter = 300;
        return r;
    });
    agentWith({{QStringLiteral("Page"), server.url("/p.html")}});
    ASSERT_TRUE(runCycle());
    TElement* image = find(server.url("/broken.gif"));
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->Complete);
    EXPECT_FALSE(QFileInfo::exists(image->GetSavePath()));
}

TEST_F(DownloadCycle, RedirectionsAreFollowedRecordedAndBounded)
{
    page("new.html", "<html>ici</html>");
    server.on("/old.html",
              [](const RecordedRequest&) { return Reply::redirect(301, "/new.html;jsessionid=1"); });
    for (int i = 0; i < 7; ++i) {
        const QByteArray next = "/loop" + QByteArray::number(i + 1);
        server.on("/loop" + QByteArray::number(i),
                  [next](const RecordedRequest&) { return Reply::redirect(302, next); });
    }
    server.on("/tofile", [](const RecordedRequest&) { return Reply::redirect(302, "file:///etc/passwd"); });
    agentWith({{QStringLiteral("Ancien"), server.url("/old.html")},
               {QStringLiteral("Boucle"), server.url("/loop0")},
               {QStringLiteral("Fichier"), server.url("/tofile")}});
    ASSERT_TRUE(runCycle());

    TElement* moved = find(server.url("/old.html"));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->GetURL(), server.url("/old.html"));
    EXPECT_EQ(moved->Location, u"/new.html");
    EXPECT_EQ(moved->StatusNumber, 301);
    EXPECT_EQ(read(moved->GetSavePath()), "<html>ici</html>");

    // Five passes: loop0 .. loop4 asked, loop5 never.
    EXPECT_EQ(server.count("HEAD", "/loop4"), 1);
    EXPECT_EQ(server.count("HEAD", "/loop5"), 0);
    TElement* loop = find(server.url("/loop0"));
    EXPECT_FALSE(QFileInfo::exists(loop->GetSavePath()));
    EXPECT_EQ(find(server.url("/tofile"))->StatusNumber, 302);
    // Running out of passes on a redirection is a failure, not an unchanged 302.
    EXPECT_EQ(loop->StatusNumber, kStatusProtocolError);
    EXPECT_EQ(loop->GetMessages().constLast(), u"Trop de redirections (plus de 5)");
    const auto reported
        = std::find_if(view.reports.begin(), view.reports.end(),
                       [&](const DownloadReport& r) { return r.url == server.url("/loop0"); });
    ASSERT_NE(reported, view.reports.end());
    EXPECT_EQ(reported->outcome, Outcome::Error);
}

TEST_F(DownloadCycle, ATransferLongerThanItsTimeLimitIsCutAndNeverComplete)
{
    // A byte every 50 ms keeps the time-out watch quiet for ever; the limit of the options
    // (TimeOut + TimeOutByPage per download, here 1 s) ends each transfer.
    const QByteArray body(2000, 'd');
    server.on("/drip-body", [body](const RecordedRequest& r) {
        Reply reply = Reply::text(200, body);
        if (r.method == "GET") {
            reply.chunkFrom = 200;
            reply.chunkSize = 1;
            reply.chunkDelayMs = 50;
        }
        return reply;
    });
    server.on("/drip-status", [](const RecordedRequest&) {
        Reply reply
            = Reply::raw("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html>" + QByteArray(500, 'x'));
        reply.chunkSize = 1;
        reply.chunkDelayMs = 50;
        return reply;
    });
    page("ok.html", "<html>ok</html>");
    agentWith({{QStringLiteral("Goutte"), server.url("/drip-body")},
               {QStringLiteral("Statut"), server.url("/drip-status")},
               {QStringLiteral("Ok"), server.url("/ok.html")}});
    opt.TimeOut = 1;
    opt.TimeOutByPage = 0;
    ASSERT_TRUE(runCycle(10000)); // the drips alone would take 25 s and more

    TElement* dripped = find(server.url("/drip-body"));
    EXPECT_EQ(dripped->StatusNumber, kStatusTimeLimit);
    EXPECT_FALSE(dripped->Complete);
    EXPECT_TRUE(dripped->GetMessages().contains(u"Transfert interrompu : durée maximale de 1 s dépassée"_qs));
    EXPECT_LT(read(dripped->GetSavePath()).size(), body.size());
    TElement* status = find(server.url("/drip-status"));
    EXPECT_EQ(status->StatusNumber, kStatusTimeLimit);
    EXPECT_FALSE(QFileInfo::exists(status->GetSavePath()));
    EXPECT_EQ(find(server.url("/ok.html"))->StatusNumber, 200);
    for (const DownloadReport& r : view.reports) {
        if (r.url != server.url("/ok.html"))
            EXPECT_EQ(r.outcome, Outcome::Interrupted) << r.url.toStdString();
    }
    // Counted as verified, as any download that ended.
    EXPECT_EQ(scheduler->NbVerified, 3);
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(DownloadCycle, CredentialsInAnAddressNeverLeaveInRequestsOrMessages)
{
    page("p.html", "<html>secret</html>");
    server.on("/moved", [this](const RecordedRequest&) {
        return Reply::redirect(302, server.url("/p.html").toLatin1());
    });
    const QString url = server.url("/moved").replace(u"://"_qs, u"://jean:motdepasse@"_qs);
    agentWith({{QStringLiteral("Privé"), url}});
    ASSERT_TRUE(runCycle());
    for (const RecordedRequest& r : server.requests())
        EXPECT_FALSE(r.raw.contains("motdepasse")) << r.raw.constData();
    TElement* e = find(url);
    ASSERT_NE(e, nullptr);
    // Read back from the element's file, where the messages were saved.
    EXPECT_FALSE(e->GetMessages().isEmpty());
    EXPECT_FALSE(e->GetMessages().join(u'\n').contains(u"motdepasse"));
}

TEST_F(DownloadCycle, FormAddressIsPostedWithItsBody)
{
    server.on("/form.cgi", [](const RecordedRequest& r) {
        return Reply::text(200, r.method == "POST" ? "<html>merci " + r.body + "</html>" : "<html>?</html>");
    });
    agentWith({{QStringLiteral("Formulaire"), server.url("/form.cgi??nom=Dupont&ville=Lyon")}});
    ASSERT_TRUE(runCycle());
    const RecordedRequest post = server.lastRequest();
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.target, "/form.cgi");
    EXPECT_EQ(post.body, "nom=Dupont&ville=Lyon");
    EXPECT_EQ(post.header("Content-Type"), "application/x-www-form-urlencoded");
    TElement* e = find(server.url("/form.cgi??nom=Dupont&ville=Lyon"));
    EXPECT_EQ(read(e->GetSavePath()), "<html>merci nom=Dupont&ville=Lyon</html>");
}

TEST_F(DownloadCycle, FailuresBecomeStatusesAndStoreNothing)
{
    page("ok.html", "<html>ok</html>");
    server.on("/error", [](const RecordedRequest&) { return Reply::text(500, "<html>panne</html>"); });
    server.on("/garbage", [](const RecordedRequest&) { return Reply::raw("HTTP/1.1 99999 ???\r\n\r\n"); });
    quint16 closedPort = 0;
    {
        TestServer gone;
        closedPort = gone.port();
    }
    agentWith({{QStringLiteral("Erreur"), server.url("/error")},
               {QStringLiteral("Charabia"), server.url("/garbage")},
               {QStringLiteral("Fermé"), QStringLiteral("http://127.0.0.1:%1/x.html").arg(closedPort)},
               {QStringLiteral("Ftp"), QStringLiteral("ftp://127.0.0.1/x")},
               {QStringLiteral("Ok"), server.url("/ok.html")}});
    ASSERT_TRUE(runCycle());
    TElement* error = find(server.url("/error"));
    EXPECT_EQ(error->StatusNumber, 500);
    EXPECT_EQ(error->State, stateError);
    EXPECT_FALSE(QFileInfo::exists(error->GetSavePath()));
    EXPECT_EQ(find(server.url("/garbage"))->StatusNumber, -2);
    TElement* closed = find(QStringLiteral("http://127.0.0.1:%1/x.html").arg(closedPort));
    EXPECT_EQ(closed->StatusNumber, -3);
    EXPECT_EQ(closed->StatusText(), StatusText(-3));
    EXPECT_FALSE(QFileInfo::exists(closed->GetSavePath()));
    // Tried twice: the server was only momentarily unreachable, perhaps.
    EXPECT_EQ(closed->GetMessages().filter(u"Impossible d'ouvrir"_qs).size(), 2);
    EXPECT_EQ(find(QStringLiteral("ftp://127.0.0.1/x"))->StatusNumber, 0);
    EXPECT_EQ(find(server.url("/ok.html"))->StatusNumber, 200);
}

TEST_F(DownloadCycle, FullDiskLeavesTheStoredCopyAndTheElementAsTheyWere)
{
    page("p.html", "<title>Ancien</title>ancien", 7200);
    page("q.html", "autre", 7200);
    agentWith(
        {{QStringLiteral("Page"), server.url("/p.html")}, {QStringLiteral("Autre"), server.url("/q.html")}});
    ASSERT_TRUE(runCycle());
    TElement* e = find(server.url("/p.html"));
    e->SetState(stateRead);
    const TDateTime date = e->LastModified;
    const qint32 size = e->Size;
    const QString name = e->GetName();
    page("p.html", "<title>Nouveau titre</title>nouveau, bien plus long", 60);
    page("q.html", "autre, changé", 60);

    // Every write of the page's copy fails with a full disk; the other one is stored.
    failFileSteps(1, 1000, ENOSPC, QStringLiteral("/p"));
    ASSERT_TRUE(runCycle());
    failFileSteps(0, 0, 0);
    EXPECT_EQ(read(e->GetSavePath()), "<title>Ancien</title>ancien");
    EXPECT_EQ(e->LastModified, date);
    EXPECT_EQ(e->Size, size);
    EXPECT_EQ(e->GetName(), name);
    EXPECT_EQ(e->State, stateError); // not unread: nothing new is stored
    EXPECT_EQ(e->StatusNumber, kStatusNotStored);
    EXPECT_TRUE(e->StatusText().startsWith(StatusText(kStatusNotStored)));
    const auto report = std::find_if(view.reports.begin(), view.reports.end(),
                                     [&](const DownloadReport& r) { return r.url == server.url("/p.html"); });
    ASSERT_NE(report, view.reports.end());
    EXPECT_EQ(report->outcome, Outcome::Error);
    EXPECT_EQ(leftovers(), QStringList());
    // The disk is full: no new download is launched, and the user is told.
    EXPECT_TRUE(prompt.messages.join(u'\n').contains(u"inférieure à 10 Mo"_qs))
        << prompt.messages.join(u'|').toStdString();

    // Room again: the next check stores it.
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(read(e->GetSavePath()), "<title>Nouveau titre</title>nouveau, bien plus long");
    EXPECT_EQ(e->StatusNumber, 200);
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(DownloadCycle, AnElementFileThatCannotBeWrittenIsAnErrorOfItsElement)
{
    page("p.html", "<a href=\"l.html\">lien</a>", 7200);
    page("l.html", "page liée");
    agentWith({{QStringLiteral("Page"), server.url("/p.html")}}, 1);
    // The disk fills when the linked page's element file is written: its copy is not kept
    // without a file that names it, and the page's own file says what happened.
    failFileSteps(1, 1000, ENOSPC, QStringLiteral(".url"));
    ASSERT_TRUE(runCycle());
    failFileSteps(0, 0, 0);
    TElement* e = find(server.url("/p.html"));
    EXPECT_EQ(e->StatusNumber, kStatusNotStored);
    EXPECT_TRUE(e->GetMessages().join(u' ').contains(StatusText(kStatusNotStored)));
    TElement* linked = find(server.url("/l.html"));
    if (linked) {
        EXPECT_FALSE(QFileInfo::exists(linked->GetSavePath()));
    }
    EXPECT_TRUE(prompt.messages.join(u'\n').contains(u"inférieure à 10 Mo"_qs));
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(DownloadCycle, NothingIsWrittenThroughAFolderLinkedOutOfTheAgent)
{
    // A page's child folder (where its images and linked pages go), a folder's download
    // folder and a version name, each replaced by a link to a folder outside the agent.
    page("p.html", "<img src=\"i.gif\"><a href=\"l.html\">l</a>", 7200);
    page("i.gif", "GIF89a");
    page("l.html", "lien");
    page("f.html", "dans le dossier");
    AgentBuilder builder(home.path(), QStringLiteral("Veille"));
    builder.address({}, StoredDoc {.name = QStringLiteral("Page"), .url = server.url("/p.html")});
    builder.address({QStringLiteral("Dossier")},
                    StoredDoc {.name = QStringLiteral("F"), .url = server.url("/f.html")});
    TElement* agent = open(builder);
    agent->SetFrequency(0);
    agent->LoadChildren(100);
    TElement* p = find(server.url("/p.html"));
    TElement* f = find(server.url("/f.html"));
    p->SetDownLoadLinksDepth(1);
    const QString outside = home.file(QStringLiteral("ailleurs"));
    QDir().mkpath(outside);
    QDir().mkpath(QFileInfo(p->GetSavePath()).path());
    QDir(p->GetChildsPath()).removeRecursively();
    ASSERT_TRUE(QFile::link(outside, p->GetChildsPath().chopped(1)));
    const QString folder = QFileInfo(f->GetSavePath()).path();
    QDir(folder).removeRecursively();
    ASSERT_TRUE(QFile::link(outside, folder));

    ASSERT_TRUE(runCycle());
    EXPECT_EQ(QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(f->StatusNumber, kStatusNotStored);
    EXPECT_TRUE(f->GetMessages().join(u' ').contains(u"Chemin hors de l'agent"_qs));
    // The page itself lies inside: it is stored.
    EXPECT_EQ(read(p->GetSavePath()), "<img src=\"i.gif\"><a href=\"l.html\">l</a>");
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(DownloadCycle, LinkPlantedAtTheStoredNameIsReplacedNotFollowed)
{
    page("p.html", "contenu du site");
    AgentBuilder builder(home.path(), QStringLiteral("Veille"));
    builder.address({}, StoredDoc {.name = QStringLiteral("Page"), .url = server.url("/p.html")});
    const QString outside = home.file(QStringLiteral("outside.txt"));
    QFile(outside).open(QIODevice::WriteOnly);
    TElement* agent = open(builder);
    agent->SetFrequency(0);
    TElement* e = agent->Node()->firstChild()->element();
    QDir().mkpath(QFileInfo(e->GetSavePath()).path());
    ASSERT_TRUE(QFile::link(outside, e->GetSavePath()));
    ASSERT_TRUE(QFile::link(outside, e->GetSavePath() + QStringLiteral(".glanix-new")));
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(read(outside), QByteArray());
    EXPECT_EQ(read(e->GetSavePath()), "contenu du site");
    EXPECT_FALSE(QFileInfo(e->GetSavePath()).isSymLink());
}

TEST_F(DownloadCycle, FramesLoadingThemselvesAndLinkChainsStopAtTheDepth)
{
    page("self.html", "<frameset><frame src=\"self.html\"><frame src=\"chain1.html\"></frameset>");
    for (int i = 1; i < 30; ++i)
        page(QStringLiteral("chain%1.html").arg(i),
             QStringLiteral("<a href=\"chain%1.html\">x</a>").arg(i + 1).toLatin1());
    agentWith({{QStringLiteral("Soi"), server.url("/self.html")}}, 3);
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(server.count("GET", "/self.html"), 1);
    EXPECT_NE(find(server.url("/chain4.html")), nullptr);
    EXPECT_EQ(find(server.url("/chain5.html")), nullptr);
}

TEST_F(DownloadCycle, InformationOnlyRecordsTheDatesWithoutStoring)
{
    page("p.html", "<html>info</html>", 7200);
    TElement* agent = agentWith({{QStringLiteral("Info"), server.url("/p.html")}});
    agent->SetDownLoadType(1);
    ASSERT_TRUE(runCycle());
    TElement* e = find(server.url("/p.html"));
    EXPECT_EQ(server.count("GET"), 0);
    EXPECT_GT(e->LastModified, 0);
    EXPECT_EQ(e->Size, 17);
    EXPECT_EQ(scheduler->NbNew, 1);
    EXPECT_FALSE(QFileInfo::exists(e->GetSavePath()));
}

TEST_F(DownloadCycle, AnImageOfDistantPagesIsFetchedOnceACycleAndCopiedAsADownloadWould)
{
    // The store finds an image only near a page: these two pages each get an element for it.
    const QByteArray before = QByteArray("GIF89a", 6) + QByteArray(200, '1');
    const QByteArray after = QByteArray("GIF89a", 6) + QByteArray(300, '2');
    page("index.html", "<a href=\"a/a.html\">a</a><a href=\"b/b.html\">b</a>");
    page("a/a.html", "<a href=\"a1.html\">a1</a>");
    page("a/a1.html", "<img src=\"/x.gif\">");
    page("b/b.html", "<a href=\"b1.html\">b1</a>");
    page("b/b1.html", "<img src=\"/x.gif\">");
    page("x.gif", before, 7200);
    agentWith({{QStringLiteral("Accueil"), server.url("/index.html")}}, 3);
    opt.NbMaxDownLoads = 1; // the first copy is stored before the second is due
    ASSERT_TRUE(runCycle());

    std::vector<TElement*> images;
    for (TElement* e = store->ElementsWithExt().first(); e; e = ElementList::next(e)) {
        if (TElement* image = e->FindImageByURL(server.url("/x.gif")))
            images.push_back(image);
    }
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(server.count("HEAD", "/x.gif"), 1);
    EXPECT_EQ(server.count("GET", "/x.gif"), 1);
    const auto copies = [&] {
        return std::count_if(view.reports.begin(), view.reports.end(),
                             [](const DownloadReport& r) { return r.localCopy; });
    };
    EXPECT_EQ(copies(), 1);
    EXPECT_EQ(scheduler->NbNew, view.count(Outcome::New));
    for (TElement* image : images) {
        EXPECT_EQ(image->StatusNumber, 200);
        EXPECT_TRUE(image->Complete);
        EXPECT_EQ(image->State, stateRead);
        EXPECT_EQ(image->Size, before.size());
        EXPECT_EQ(image->LastModified, images[0]->LastModified);
        EXPECT_EQ(image->Etag, images[0]->Etag);
        EXPECT_EQ(image->ContentType, u"image/gif");
        EXPECT_EQ(read(image->GetSavePath()), before);
    }
    EXPECT_NE(images[0]->GetSavePath(), images[1]->GetSavePath());

    // A new image: the second element takes the same new copy and keeps its old one.
    page("x.gif", after, 60);
    for (TElement* image : images)
        image->LastVerified = 1;
    server.clearRequests();
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(server.count("GET", "/x.gif"), 1);
    EXPECT_EQ(copies(), 1);
    for (TElement* image : images) {
        EXPECT_EQ(read(image->GetSavePath()), after);
        EXPECT_EQ(read(SaveFileNameVersionPrec(image->GetSavePath(), 2)), before);
        EXPECT_EQ(image->Size, after.size());
        EXPECT_EQ(image->BeforeSize, before.size());
    }
    EXPECT_EQ(view.count(Outcome::Modified), 2);
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(DownloadCycle, APageAnalysedBeforeTheRestOfTheTreeIsReadDuplicatesNoKnownPage)
{
    page("index.html", "<a href=\"a.html\">a</a><a href=\"b.html\">b</a>");
    page("a.html", "<html>a</html>", 7200);
    page("b.html", "<a href=\"c.html\">c</a>");
    page("c.html", "<html>c</html>");
    agentWith({{QStringLiteral("Accueil"), server.url("/index.html")}}, 3);
    ASSERT_TRUE(runCycle());
    ASSERT_NE(find(server.url("/c.html")), nullptr);

    // The program starts again: the tree is read from disk as the walk goes, one element at
    // a time, and "a" now links to "c", which lies further on.
    scheduler.reset();
    store.reset();
    store = std::make_unique<ElementStore>(env());
    TElement* agent = openAgent(*store, agentFilePath(home.path(), QStringLiteral("Veille")));
    ASSERT_NE(agent, nullptr);
    agent->SetFrequency(0);
    page("a.html", "<html>a <a href=\"c.html\">c</a></html>", 60);
    home.clock().advanceSeconds(60);
    opt.NbMaxDownLoads = 1;
    ASSERT_TRUE(runCycle());
    int elementsOfC = 0;
    for (TElement* e = store->ElementsWithExt().first(); e; e = ElementList::next(e))
        elementsOfC += e->GetURL() == server.url("/c.html") ? 1 : 0;
    EXPECT_EQ(elementsOfC, 1);
    EXPECT_EQ(scheduler->NbNew, 0);
    EXPECT_EQ(scheduler->NbModified, 1);
    EXPECT_EQ(server.count("GET", "/c.html"), 1);
}

TEST_F(DownloadCycle, RequisitesAreStoredOnceWithTheirPageAndAreNotCountedAsPages)
{
    page("index.html",
         "<html><head><title>Accueil</title><link rel=\"stylesheet\" href=\"css/main.css\">"
         "<link rel=\"shortcut icon\" href=\"favicon.ico\"><style>@import \"css/inline.css\";</style>"
         "<script src=\"app.js\"></script></head>"
         "<body style=\"background:url(img/body.png)\"><img srcset=\"img/s1.png 1x, img/s2.png 2x\" "
         "src=\"img/s1.png\">"
         "<a href=\"next.html\">suite</a></body></html>");
    // The linked page shares its parent's sheet.
    page("next.html", "<html><head><link rel=stylesheet href=\"css/main.css\"></head><body>x</body></html>");
    // main imports theme, which imports main again and names a font.
    page("css/main.css", "@import url(theme.css); h1 { background: url(../img/h.png) }");
    page("css/theme.css", "@import \"main.css\"; @font-face { font-family: x; src: url(fonts/f.woff2#x) }");
    page("css/inline.css", "p { color: red }");
    page("css/fonts/f.woff2", "wOF2");
    page("app.js", "alert(1)");
    page("favicon.ico", QByteArray("\0\0\1\0", 4));
    for (const char* png : {"img/body.png", "img/s1.png", "img/s2.png", "img/h.png"})
        page(QString::fromLatin1(png), QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(png));
    agentWith({{QStringLiteral("Accueil"), server.url("/index.html")}}, 1);
    ASSERT_TRUE(runCycle());

    const char* const requisites[]
        = {"/css/main.css", "/css/theme.css", "/css/inline.css", "/css/fonts/f.woff2", "/favicon.ico",
           "/img/body.png", "/img/s1.png",    "/img/s2.png",     "/img/h.png"};
    for (const char* path : requisites) {
        TElement* e = find(server.url(QString::fromLatin1(path)));
        ASSERT_NE(e, nullptr) << path;
        EXPECT_EQ(e->Kind, kindImage) << path;
        EXPECT_EQ(e->Parent(), find(server.url("/index.html"))) << path;
        EXPECT_EQ(e->State, stateRead) << path;
        EXPECT_EQ(read(e->GetSavePath()), read(site + QString::fromLatin1(path).mid(1))) << path;
        EXPECT_EQ(server.count("GET", path), 1) << path;
    }
    // Scripts are not run by the views, so not stored.
    EXPECT_EQ(find(server.url("/app.js")), nullptr);
    EXPECT_EQ(server.count("GET", "/app.js"), 0);
    // Two pages and five images are new; the three sheets and the font are not pages.
    EXPECT_EQ(scheduler->NbNew, 7);
    EXPECT_EQ(view.count(Outcome::New), 11);
    EXPECT_EQ(find(server.url("/next.html"))->State, stateUnread);

    // Once the views run scripts, the next download of the page brings them.
    opt.RunScripts = true;
    page("index.html", read(site + "index.html").replace("suite", "la suite"), 60);
    ASSERT_TRUE(runCycle());
    ASSERT_NE(find(server.url("/app.js")), nullptr);
    EXPECT_EQ(read(find(server.url("/app.js"))->GetSavePath()), "alert(1)");
    EXPECT_EQ(scheduler->NbModified, 1);
}

TEST_F(DownloadCycle, SheetsAndIconsStoredAsLinkedPagesBecomeRequisitesAtTheNextCheck)
{
    // What earlier versions left: the sheet and the icon a page names are linked pages of their
    // own (the icon stored twice, also as an image), the sheet with an old version.
    const QByteArray icon("\0\0\1\0icon", 8);
    page("index.html",
         "<html><a href=\"main.css\">s</a><a href=\"favicon.ico\">i</a><img src=\"favicon.ico\"></html>");
    page("main.css", "@import \"theme.css\"; body { color: red }");
    page("theme.css", "p { background: url(p.png) }");
    page("p.png", QByteArray("\x89PNG\r\n\x1a\n", 8) + "p");
    page("favicon.ico", icon);
    agentWith({{QStringLiteral("Accueil"), server.url("/index.html")}}, 1);
    ASSERT_TRUE(runCycle());
    TElement* sheetPage = find(server.url("/main.css"));
    ASSERT_NE(sheetPage, nullptr);
    ASSERT_EQ(sheetPage->Kind, kindPage);
    ASSERT_EQ(find(server.url("/favicon.ico"))->Kind, kindPage);
    const QString sheetCopy = sheetPage->GetSavePath();
    ASSERT_TRUE(writeFileAtomically(SaveFileNameVersionPrec(sheetCopy, 2), "old sheet").ok);

    // The server's page is unchanged (same date); this version reads it as naming its sheet
    // and its icon.
    const QString index = site + "index.html";
    const QDateTime date = QFileInfo(index).lastModified();
    const QByteArray now = "<html><head><link rel=\"stylesheet\" href=\"main.css\"><link rel=\"icon\" "
                           "href=\"favicon.ico\"><script src=\"app.js\"></script></head><img "
                           "src=\"favicon.ico\"></html>";
    page("index.html", now);
    QFile served(index);
    ASSERT_TRUE(served.open(QIODevice::ReadWrite)
                && served.setFileTime(date, QFileDevice::FileModificationTime));
    served.close();
    TElement* indexPage = find(server.url("/index.html"));
    ASSERT_TRUE(writeFileAtomically(indexPage->GetSavePath(), now).ok);
    indexPage->FreeAnalysis();
    indexPage->Ext()->RequisitesSought = 0;
    opt.NbMaxDownLoads = 1;
    home.clock().advanceSeconds(60);
    ASSERT_TRUE(runCycle());

    const auto checkRequisites = [&] {
        TElement* page = find(server.url("/index.html"));
        for (const char* path : {"/main.css", "/favicon.ico", "/theme.css", "/p.png"}) {
            TElement* e = find(server.url(QString::fromLatin1(path)));
            ASSERT_NE(e, nullptr) << path;
            EXPECT_EQ(e->Kind, kindImage) << path;
            EXPECT_EQ(e->Parent(), page) << path;
            EXPECT_EQ(e->State, stateRead) << path;
        }
        TElement* sheet = find(server.url("/main.css"));
        EXPECT_EQ(read(sheet->GetSavePath()), read(site + "main.css"));
        EXPECT_EQ(read(SaveFileNameVersionPrec(sheet->GetSavePath(), 2)), "old sheet");
        EXPECT_EQ(read(find(server.url("/favicon.ico"))->GetSavePath()), icon);
        for (int i = 0; i < page->Node()->childCount(); ++i)
            EXPECT_EQ(page->Node()->child(i)->element()->Kind, kindImageGroup);
        // Replaced, not refused: the page still follows its links.
        EXPECT_EQ(page->GetDownLoadLinksDepth(), 1);
        EXPECT_EQ(page->Ext()->RequisitesSought, 1);
    };
    checkRequisites();
    EXPECT_EQ(server.count("GET", "/main.css"), 1); // its copy was kept
    EXPECT_EQ(scheduler->NbNew, 1); // p.png; the sheets are not pages
    EXPECT_EQ(scheduler->NbModified, 0);

    // As the files say after a restart.
    scheduler.reset();
    store.reset();
    store = std::make_unique<ElementStore>(env());
    ASSERT_NE(openAgent(*store, agentFilePath(home.path(), QStringLiteral("Veille"))), nullptr);
    checkRequisites();

    // Once scripts are run, the unchanged page is read again for them.
    page("app.js", "alert(1)");
    opt.RunScripts = true;
    home.clock().advanceSeconds(60);
    ASSERT_TRUE(runCycle());
    ASSERT_NE(find(server.url("/app.js")), nullptr);
    EXPECT_EQ(find(server.url("/app.js"))->Parent(), find(server.url("/index.html")));
}

TEST_F(DownloadCycle, TheWalksCursorLeavesANodeRemovedWithoutAWindow)
{
    agentWith({{QStringLiteral("A"), server.url("/a.html")}, {QStringLiteral("B"), server.url("/b.html")}});
    Scheduler& s = engine();
    TreeNode* a = find(server.url("/a.html"))->Node();
    TreeNode* b = find(server.url("/b.html"))->Node();
    s.NodeEnCours = b;
    s.NodeDepart = b;
    b->element()->Delete(false);
    EXPECT_EQ(s.NodeEnCours, a);
    EXPECT_EQ(s.NodeDepart, nullptr);
}

TEST_F(DownloadCycle, AnImageOfTwoPagesFetchedAtOnceCostsOneTransfer)
{
    const QByteArray gif = QByteArray("GIF89a", 6) + QByteArray(600, 'g');
    // The store finds an image only near a page: these two pages each get an element for it.
    page("index.html", "<a href=\"a/a.html\">a</a><a href=\"b/b.html\">b</a>");
    page("a/a.html", "<a href=\"a1.html\">a1</a>");
    page("a/a1.html", "<img src=\"/x.gif\">");
    page("b/b.html", "<a href=\"b1.html\">b1</a>");
    page("b/b1.html", "<img src=\"/x.gif\">");
    // Slow enough for the second element to be due while the first is fetched.
    server.on("/x.gif", [&](const RecordedRequest& r) {
        Reply reply = Reply::text(200, r.method == "HEAD" ? QByteArray() : gif, "image/gif");
        if (r.method == "HEAD")
            reply.header("Content-Length", QByteArray::number(gif.size())).addContentLength = false;
        reply.chunkSize = 100;
        reply.chunkDelayMs = 100;
        return reply;
    });
    agentWith({{QStringLiteral("Accueil"), server.url("/index.html")}}, 3);
    ASSERT_TRUE(runCycle());
    int images = 0;
    for (TElement* e = store->ElementsWithExt().first(); e; e = ElementList::next(e)) {
        if (TElement* image = e->FindImageByURL(server.url("/x.gif"))) {
            ++images;
            EXPECT_EQ(read(image->GetSavePath()), gif);
        }
    }
    EXPECT_EQ(images, 2);
    EXPECT_EQ(server.count("GET", "/x.gif"), 1);
}
