// 2,000 sequential GETs of a 20 KB document, one connection each, by Glanix's client, curl
// and wget against the same loopback server, in the same run. Prints the median of several
// rounds for each and Glanix's ratio to curl. See bench/README.md.
#include "engine/Http.h"
#include "tests/support/TestServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace glanix;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double runGlanix(const QString& url, int count, bool withHead)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        T_HTTP http;
        http.URL = url;
        http.Agent = QStringLiteral("Glanix/3.0");
        if (withHead) {
            http.GetIfModified({}, 0, false, 0);
        } else {
            http.setTarget();
            http.Get();
        }
        if (http.StatusCode != 200 || http.Stream.size() != 20000) {
            std::fprintf(stderr, "glanix: bad answer %d\n", http.StatusCode);
            return -1;
        }
    }
    return t.nsecsElapsed() / 1e9;
}

double runTool(const QString& program, const QStringList& args)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return -1;
    }
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

    test::TestServer server;
    server.setDocument("/doc.html", {.body = QByteArray(20000, 'x')});
    const QString url = server.url("/doc.html");

    QTemporaryDir dir;
    QFile curlConfig(dir.filePath("curl.cfg"));
    QFile wgetList(dir.filePath("wget.txt"));
    if (!curlConfig.open(QIODevice::WriteOnly) || !wgetList.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 0; i < count; ++i) {
        curlConfig.write("url = \"" + url.toLatin1() + "\"\noutput = \"/dev/null\"\n");
        wgetList.write(url.toLatin1() + '\n');
    }
    curlConfig.close();
    wgetList.close();
    const QString curl = QStandardPaths::findExecutable("curl");
    const QString wget = QStandardPaths::findExecutable("wget");

    std::vector<double> glanix, glanixHead, curlTimes, wgetTimes;
    for (int r = 0; r < rounds; ++r) {
        glanix.push_back(runGlanix(url, count, false));
        glanixHead.push_back(runGlanix(url, count, true));
        // One process for the whole list; HTTP/1.0 and a server that closes after each
        // answer make each tool open one connection per request, like Glanix.
        if (!curl.isEmpty())
            curlTimes.push_back(runTool(curl, {"-s", "--http1.0", "-K", curlConfig.fileName()}));
        if (!wget.isEmpty())
            wgetTimes.push_back(
                runTool(wget, {"-q", "--no-http-keep-alive", "-O", "/dev/null", "-i", wgetList.fileName()}));
    }
    const auto report = [count](const char* name, const std::vector<double>& times) {
        const double m = median(times);
        std::printf("%-22s median %7.3f s  %8.0f requests/s\n", name, m, m > 0 ? count / m : 0.0);
        return m > 0 ? count / m : 0.0;
    };
    std::printf("%d GETs of 20000 bytes, %d rounds, one connection per request\n", count, rounds);
    const double g = report("glanix Get", glanix);
    report("glanix HEAD+GET (x2)", glanixHead);
    const double c = report("curl -K", curlTimes);
    const double w = report("wget -i", wgetTimes);
    if (c > 0)
        std::printf("glanix / curl = %.2f\n", g / c);
    if (w > 0)
        std::printf("glanix / wget = %.2f\n", g / w);
    std::printf("requests seen by the server: %d\n", server.count("GET") + server.count("HEAD"));
    return 0;
}
