#include "store/ContentTypes.h"

#include "store/FileNames.h"

#include <QMimeDatabase>

namespace glanix {

namespace {

struct Pair {
    const char* type;
    const char* extension;
};

// Checked before anything else, in this order.
constexpr Pair kFixed[] = {
    {"image/gif", ".gif"},         {"image/jpeg", ".jpg"},
    {"image/png", ".png"},         {"audio/mid", ".mid"},
    {"audio/wav", ".wav"},         {"application/pdf", ".pdf"},
    {"x-application/pdf", ".pdf"}, {"application/x-zip-compressed", ".zip"},
};

constexpr Pair kFixedReverse[] = {
    {"image/gif", ".gif"},       {"image/jpeg", ".jpg"},
    {"image/jpeg", ".jpeg"},     {"image/png", ".png"},
    {"audio/mid", ".mid"},       {"audio/wav", ".wav"},
    {"application/pdf", ".pdf"}, {"application/x-zip-compressed", ".zip"},
};

QString nameExtension(const QString& name)
{
    return fileExtension(name).trimmed().toLower();
}

QMimeType mimeForName(const QString& type)
{
    static const QMimeDatabase db;
    const QString t = type.trimmed().toLower();
    if (t.isEmpty())
        return {};
    const QMimeType mime = db.mimeTypeForName(t);
    return mime.isValid() ? mime : QMimeType();
}

} // namespace

int KnownTypes::indexOf(const QString& type) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].type.compare(type, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int KnownTypes::add(const QString& type, const QString& extension)
{
    const int i = indexOf(type);
    if (i >= 0)
        return i;
    m_entries.push_back({type, extension});
    return size() - 1;
}

QString KnownTypes::extensionFor(const QString& type) const
{
    const int i = indexOf(type);
    return i < 0 ? QString() : m_entries[static_cast<size_t>(i)].extension;
}

QString KnownTypes::typeFor(const QString& extension) const
{
    for (const Entry& e : m_entries) {
        if (e.extension.compare(extension, Qt::CaseInsensitive) == 0)
            return e.type;
    }
    return {};
}

QString ExtensionForType(const QString& type, const QString& name, const KnownTypes* known)
{
    if (type.isEmpty())
        return nameExtension(name);
    if (known && known->indexOf(type) >= 0)
        return known->extensionFor(type);
    for (const Pair& p : kFixed) {
        if (type.compare(QLatin1String(p.type), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(p.extension);
    }
    const QMimeType mime = mimeForName(type);
    if (mime.isValid() && !mime.preferredSuffix().isEmpty())
        return u'.' + mime.preferredSuffix().toLower();
    return nameExtension(name);
}

QString TypeForExtension(const QString& extension, const KnownTypes* known)
{
    QString ext = extension.trimmed().toLower();
    if (ext.isEmpty())
        return {};
    if (!ext.startsWith(u'.'))
        ext.prepend(u'.');
    if (known) {
        const QString t = known->typeFor(ext);
        if (!t.isEmpty())
            return t;
    }
    for (const Pair& p : kFixedReverse) {
        if (ext == QLatin1String(p.extension))
            return QString::fromLatin1(p.type);
    }
    static const QMimeDatabase db;
    const QMimeType mime = db.mimeTypeForFile(u'x' + ext, QMimeDatabase::MatchExtension);
    if (!mime.isValid() || mime.isDefault())
        return {};
    return mime.name();
}

QStringList extensionsOfType(const QString& type)
{
    QStringList out;
    const QMimeType mime = mimeForName(type);
    if (mime.isValid()) {
        for (const QString& suffix : mime.suffixes())
            out << u'.' + suffix.toLower();
    }
    return out;
}

QString iconNameForType(const QString& type)
{
    const QMimeType mime = mimeForName(type);
    return mime.isValid() ? mime.iconName() : QString();
}

QString genericIconNameForType(const QString& type)
{
    const QMimeType mime = mimeForName(type);
    return mime.isValid() ? mime.genericIconName() : QString();
}

} // namespace glanix
