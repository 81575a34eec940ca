#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <vector>

// Answers what a view asks for with the stored copies, and with nothing else: a request URL
// of the views' schemes (ViewUrls.h) becomes the element that holds the document or image,
// its local file and its content type, or "Frame Missing.html" in the home. Lookups go by
// element address only; a requested path is never turned into a file path, and a file is
// served only when, links followed, it lies inside the folders of its element's agent.
//
// Documents: the view's element, a stored child of it, a stored child of a shown element
// (last shown first), a copy held near the element (FindLocal: its siblings and parent),
// then any element of the open agents. Images: the images of the shown elements in turn,
// then those held near them. A request of one kind falls back on the other's lookup (an
// iframe showing an image, a style sheet stored as a linked page). A page's requisites (style
// sheets, what they import, fonts, icons, srcset candidates) are stored as its images, so the
// image lookup answers them, whichever page or sheet named them. To answer a new kind of
// requisite, add its lookup to the chain in resolve() and a test beside the others.
// Reads the tree (children are read one level deep as they are searched); changes nothing
// else. UI thread only.
namespace glanix {

class Env;
class TElement;

// What a view shows, as the resolver needs it (the view owns the state).
struct ShownDocuments {
    TElement* Element = nullptr;
    // Entry 0: the view's element; then the element of each frame shown, main frame first.
    std::vector<TElement*> ShownElements;
    // The version shown of `versionElement` (1 the current file, 2 the newest old one).
    TElement* versionElement = nullptr;
    int CurrentVersion = 1;
};

enum class RequestKind { Document, Resource };

struct ResolvedRequest {
    TElement* element = nullptr; // the stored element answering; null for the program's files
    QString file; // always names a file to serve
    QByteArray mimeType;
    bool missing = true; // `file` is "Frame Missing.html"
    int version = 1;
};

class DocumentResolver {
public:
    explicit DocumentResolver(Env& env);

    ResolvedRequest resolve(const QUrl& url, RequestKind kind, const ShownDocuments& shown) const;

    // The stored document with that address (fragment ignored), as a document request finds it.
    TElement* findDocument(const QStringList& addressForms, const ShownDocuments& shown) const;
    // The stored image with that address, as an image request finds it.
    TElement* findImage(const QStringList& addressForms, const ShownDocuments& shown) const;

    // The element's file of that version when it exists and lies in its agent's folders.
    static QString servableFile(TElement* element, int version = 1);
    // Content type to serve the element's file with; a page or a text with non-ASCII bytes gets
    // the charset the program reads it in (the server's, else UTF-8 when the bytes are, else
    // Windows-1252) unless the page names its own.
    static QByteArray mimeTypeOf(const TElement* element, const QString& file);
    static QByteArray textCharset(const QString& contentType, const QString& file);

    QString missingFile() const;
    QString homeFile(const QString& name) const;

private:
    Env& m_env;
};

// Copies the files the views serve from the home ("Frame Missing.html", "g_new.gif",
// "g_wen.gif") into it when they are missing.
void installViewFiles(Env& env);

} // namespace glanix
