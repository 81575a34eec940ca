// The ini reader on any bytes: never crashes, and what it writes reads back the same.
#include "config/IniFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

QString scratchFile()
{
    // tmpfs when there is one: every save is flushed to disk.
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/glanix-fuzz-XXXXXX")
                                                       : QString());
    return dir.path() + QStringLiteral("/f.url");
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace glanix;
    const QString path = scratchFile();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    QStringList sections;
    {
        IniFile ini(path);
        sections = ini.sections();
        for (const QString& s : sections) {
            for (const QString& k : ini.keys(s)) {
                (void)ini.readString(s, k);
                (void)ini.readInteger(s, k, 0);
                (void)ini.readReal(s, k, 0);
            }
            (void)ini.sectionLines(s);
        }
        // Values with line breaks or brackets cannot make sections or keys appear.
        const QString hostile
            = QString::fromUtf8(reinterpret_cast<const char*>(data), qMin<qsizetype>(size, 200));
        ini.writeString(u"Glanix", u"Etag", hostile);
        ini.replaceSection(u"Glanix Notes", hostile.split(u'\n'));
        if (!ini.save().ok)
            return 0;
        sections = ini.sections();
    }
    IniFile again(path);
    const QStringList reread = again.sections();
    check(reread.size() == sections.size());
    const QString hostile
        = QString::fromUtf8(reinterpret_cast<const char*>(data), qMin<qsizetype>(size, 200));
    QString expected = hostile;
    expected.replace(u'\r', QStringLiteral("%0D"))
        .replace(u'\n', QStringLiteral("%0A"))
        .replace(QChar(0), QStringLiteral("%00"));
    check(again.readString(u"Glanix", u"Etag") == expected.trimmed());
    return 0;
}
