#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Makes agents on disk for tests, the way Glanix (or a browser) leaves them: an agent file
// NAME.gnx in the home, its shortcut folder NAME/Favs/ with .url files and sub-folders, and
// its download folder NAME/DL/ with the stored copies. Files are written directly, never
// through the element store, so that tests read what they did not write themselves.
namespace glanix::test {

struct StoredImage {
    QString name; // element name, also the default stored file name
    QString url;
    QString contentType = QStringLiteral("image/gif");
    QByteArray content; // the stored copy; empty = never downloaded
    int state = 0;
};

struct StoredDoc {
    QString name; // element name: NAME.url
    QString url;
    QString contentType = QStringLiteral("text/html");
    QByteArray content; // the stored copy; empty = never downloaded
    int state = 0;
    int statusNumber = 0; // 200 when content is given and this is 0
    bool complete = true;
    bool active = true;
    int versions = -1; // -1 = inherit
    double lastModified = 0; // 45000 when content is given and this is 0
    QString saveFileName; // default: name lowered + ".htm" (or the image's name)
    QString dirChilds; // default: first four characters of saveFileName
    QStringList messages;
    std::vector<StoredImage> images;
};

class AgentBuilder {
public:
    // Creates home/NAME.gnx, home/NAME/Favs/ and home/NAME/DL/.
    AgentBuilder(const QString& home, const QString& name);

    const QString& agentFile() const { return m_agentFile; }

    const QString& favs() const { return m_favs; } // with a trailing "/"

    const QString& dl() const { return m_dl; }

    // A folder of the agent ("Docs" or "Docs/Sub"), on both sides.
    AgentBuilder& folder(const QString& path);

    // An address in a folder of the agent ("" for the agent itself). Returns the address's
    // child folder (on the download side), where its linked pages go.
    QString address(const QString& folder, const StoredDoc& doc);
    // A linked page in the child folder of an address or page. Returns its own child folder.
    QString page(const QString& childFolder, const StoredDoc& doc);

    // A shortcut as a browser writes it: only [InternetShortcut] with URL, plus the keys a
    // browser adds. `windows1252` writes it in that encoding with CRLF line ends.
    QString browserShortcut(const QString& folder, const QString& name, const QString& url,
                            bool windows1252 = false);

    // Writes any file under the agent's folder (relative to home/NAME/).
    QString write(const QString& relative, const QByteArray& content) const;

    // A small agent with folders, addresses, a browser shortcut and pages with images.
    static AgentBuilder sample(const QString& home, const QString& name = QStringLiteral("Veille"));

private:
    QString writeDoc(const QString& iniFolder, const QString& storeFolder, const StoredDoc& doc);

    QString m_root;
    QString m_agentFile;
    QString m_favs;
    QString m_dl;
};

} // namespace glanix::test
