#include "tests/support/AgentBuilder.h"

#include "config/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace glanix::test {

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QString joined(const QString& base, const QString& relative)
{
    if (relative.isEmpty())
        return base;
    return base + relative + (relative.endsWith(u'/') ? QString() : QStringLiteral("/"));
}

QString real(double v)
{
    return QString::number(v, 'g', 15);
}

} // namespace

AgentBuilder::AgentBuilder(const QString& home, const QString& name)
{
    const QString h = home.endsWith(u'/') ? home : home + u'/';
    m_root = h + name + u'/';
    m_favs = m_root + QStringLiteral("Favs/");
    m_dl = m_root + QStringLiteral("DL/");
    m_agentFile = h + name + QStringLiteral(".gnx");
    QDir().mkpath(m_favs);
    QDir().mkpath(m_dl);
    writeFile(m_agentFile,
              QStringLiteral("[Glanix]\nDirChilds=%1\nSaveFileName=%2\n").arg(m_favs, m_dl).toUtf8());
}

AgentBuilder& AgentBuilder::folder(const QString& path)
{
    QDir().mkpath(joined(m_favs, path));
    QDir().mkpath(joined(m_dl, path));
    return *this;
}

QString AgentBuilder::address(const QString& folder, const StoredDoc& doc)
{
    return writeDoc(joined(m_favs, folder), joined(m_dl, folder), doc);
}

QString AgentBuilder::page(const QString& childFolder, const StoredDoc& doc)
{
    return writeDoc(childFolder, childFolder, doc);
}

QString AgentBuilder::writeDoc(const QString& iniFolder, const QString& storeFolder, const StoredDoc& doc)
{
    const QString saveName
        = doc.saveFileName.isEmpty() ? doc.name.toLower() + QStringLiteral(".htm") : doc.saveFileName;
    QString dirChilds = doc.dirChilds;
    if (dirChilds.isEmpty()) {
        const qsizetype dot = saveName.lastIndexOf(u'.');
        dirChilds = (dot > 0 ? saveName.left(dot) : saveName).left(4).trimmed();
    }
    const bool stored = !doc.content.isEmpty();
    const double lastModified = doc.lastModified != 0 ? doc.lastModified : (stored ? 45000.0 : 0.0);
    const int status = doc.statusNumber != 0 ? doc.statusNumber : (stored ? 200 : 0);

    QString ini;
    ini += QStringLiteral("[InternetShortcut]\nURL=%1\n\n[Glanix]\n").arg(doc.url);
    if (stored) {
        ini += QStringLiteral("DateDownLoaded=%1\nSize=%2\nContentType=%3\n")
                   .arg(real(lastModified), QString::number(doc.content.size()), doc.contentType);
    }
    ini += QStringLiteral("State=%1\nStatusNumber=%2\nComplete=%3\nSaveFileName=%4\nLastModified=%5\n")
               .arg(QString::number(doc.state), QString::number(status),
                    QString::number(doc.complete ? 1 : 0), saveName, real(lastModified));
    ini += QStringLiteral("Versions=%1\nActive=%2\nDirChilds=%3\n")
               .arg(QString::number(doc.versions), QString::number(doc.active ? 1 : 0), dirChilds);
    if (!doc.messages.isEmpty())
        ini += QStringLiteral("\n[Glanix Messages]\n") + doc.messages.join(u'\n') + u'\n';
    for (const StoredImage& image : doc.images) {
        const bool imageStored = !image.content.isEmpty();
        ini += QStringLiteral(
                   "\n[GlanixImg %1]\nURL=%2\nSaveFileName=%1\nLastModified=%3\nContentType=%4\nState=%5\n"
                   "StatusNumber=%6\n")
                   .arg(image.name, image.url, real(imageStored ? 45000.0 : 0.0), image.contentType,
                        QString::number(image.state), QString::number(imageStored ? 200 : 0));
        if (imageStored)
            writeFile(storeFolder + dirChilds + u'/' + image.name, image.content);
    }
    writeFile(iniFolder + doc.name + QStringLiteral(".url"), ini.toUtf8());
    if (stored)
        writeFile(storeFolder + saveName, doc.content);
    const QString child = storeFolder + dirChilds + u'/';
    QDir().mkpath(child);
    return child;
}

QString AgentBuilder::browserShortcut(const QString& folder, const QString& name, const QString& url,
                                      bool windows1252)
{
    const QString path = joined(m_favs, folder) + name + QStringLiteral(".url");
    const QString nl = windows1252 ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QString text = QStringLiteral("[DEFAULT]") + nl + QStringLiteral("BASEURL=") + url + nl
        + QStringLiteral("[InternetShortcut]") + nl + QStringLiteral("URL=") + url + nl
        + QStringLiteral("IDList=") + nl + QStringLiteral("IconIndex=1") + nl
        + QStringLiteral("[{000214A0-0000-0000-C000-000000000046}]") + nl + QStringLiteral("Prop3=19,2") + nl;
    writeFile(path, windows1252 ? encodeWindows1252(text) : text.toUtf8());
    return path;
}

QString AgentBuilder::write(const QString& relative, const QByteArray& content) const
{
    writeFile(m_root + relative, content);
    return m_root + relative;
}

AgentBuilder AgentBuilder::sample(const QString& home, const QString& name)
{
    AgentBuilder b(home, name);
    b.folder(QStringLiteral("Presse"))
        .folder(QStringLiteral("Presse/Régions"))
        .folder(QStringLiteral("Outils"));

    StoredDoc journal;
    journal.name = QStringLiteral("Le Journal");
    journal.url = QStringLiteral("http://journal.example/index.htm");
    journal.content = "<html><head><title>Le Journal</title></head><body><img src=\"logo.gif\">"
                      "<a href=\"suite.htm\">Suite</a></body></html>";
    journal.state = 1;
    journal.images.push_back({QStringLiteral("logo.gif"), QStringLiteral("http://journal.example/logo.gif"),
                              QStringLiteral("image/gif"), QByteArray("GIF89a\x01\x00\x01\x00", 10), 0});
    journal.images.push_back({QStringLiteral("banniere.png"),
                              QStringLiteral("http://journal.example/banniere.png"),
                              QStringLiteral("image/png"), QByteArray(), 0});
    const QString journalChildren = b.address(QStringLiteral("Presse"), journal);

    StoredDoc suite;
    suite.name = QStringLiteral("Suite");
    suite.url = QStringLiteral("http://journal.example/suite.htm");
    suite.content = "<html><body>La suite</body></html>";
    suite.state = 2;
    b.page(journalChildren, suite);

    StoredDoc region;
    region.name = QStringLiteral("Météo locale");
    region.url = QStringLiteral("https://meteo.example/region/");
    region.statusNumber = 404;
    region.state = 3;
    b.address(QStringLiteral("Presse/Régions"), region);

    StoredDoc outil;
    outil.name = QStringLiteral("Dictionnaire");
    outil.url = QStringLiteral("http://dico.example/");
    outil.active = false;
    b.address(QStringLiteral("Outils"), outil);

    b.browserShortcut(QString(), QStringLiteral("Café du coin"), QStringLiteral("http://cafe.example/"),
                      true);
    b.write(QStringLiteral("Favs/desktop.ini"), "[.ShellClassInfo]\n");
    return b;
}

} // namespace glanix::test
