// Address and name helpers on any text: no crash, and no name they produce can leave its
// folder (one component, not "." or "..", within the byte limits), whatever the input.
#include "store/Addresses.h"
#include "store/FileNames.h"

#include <QDir>
#include <QString>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void staysInFolder(const QString& name)
{
    check(glanix::IsSafeFileName(name, glanix::kMaxFileNameBytes));
    const QString path = QDir::cleanPath(QStringLiteral("/store/dir/") + name);
    check(path == QStringLiteral("/store/dir/") + name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace glanix;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype cut = bytes.indexOf('\n');
    const QString base = QString::fromUtf8(cut < 0 ? bytes : bytes.left(cut));
    const QString link = cut < 0 ? QString() : QString::fromUtf8(bytes.mid(cut + 1));

    const QString resolved = ResolveURL(base, link);
    check(!resolved.contains(u'\n') && !resolved.contains(u'\r') && !resolved.contains(u'#'));
    (void)ServerPart(resolved);
    (void)DirectoryPart(resolved);
    (void)FirstWord(link);
    (void)AfterFirstWord(link);
    (void)RelativePath(base, link);

    for (const QString& text : {base, link, resolved}) {
        const QString file = UrlToFileName(text);
        staysInFolder(file);
        const QString clean = CleanName(text);
        staysInFolder(clean);
        check(CleanName(clean) == clean);
        const QString safe = SafeFileName(text);
        staysInFolder(safe);
        check(SafeFileName(safe) == safe);
        staysInFolder(NameFromFileName(file));
        QString reserved = clean;
        FixReservedName(reserved);
        staysInFolder(SafeFileName(reserved));
        // An export name is one component, or a folder and "index.html".
        const QString exported = UrlToExportName(text);
        const QStringList parts = exported.split(u'/');
        check(parts.size() <= 2);
        staysInFolder(parts.first());
        if (parts.size() == 2)
            check(parts[1] == u"index.html");
        staysInFolder(SafeFileName(SaveFileNameVersionPrec(file, 12)));
        // Counting up a name taken a few times over stays a name.
        const QStringList taken
            = {clean.trimmed().toLower(), (clean + QStringLiteral("~1")).trimmed().toLower()};
        const QString unique
            = UniqueName(clean, [&](const QString& n) { return taken.contains(n.trimmed().toLower()); });
        check(!taken.contains(unique.trimmed().toLower()));
        staysInFolder(unique);
    }
    return 0;
}
