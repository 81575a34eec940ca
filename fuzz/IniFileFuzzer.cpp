// The ini reader on any bytes: never crashes, and what it writes reads back the same. The
// same bytes are then read as an element's .url file: whatever it says, the names the element
// takes from it stay in their folders.
#include "config/Env.h"
#include "config/IniFile.h"
#include "store/ElementStore.h"
#include "store/FileNames.h"
#include "store/TElement.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

QTemporaryDir& scratch()
{
    // tmpfs when there is one: every save is flushed to disk.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/glanix-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/glanix-fuzz-XXXXXX"));
    return dir;
}

QString scratchFile()
{
    return scratch().path() + QStringLiteral("/f.url");
}

// An agent whose shortcut folder holds the fuzzed file as "f.url".
glanix::TElement& agent()
{
    static glanix::Env env(scratch().path());
    static glanix::ElementStore store(env);
    static glanix::TElement* a = [] {
        auto* e = new glanix::TElement(store);
        e->SetHasExt(true);
        e->Kind = glanix::kindAgent;
        e->SetParent(store.RootElement());
        e->SetName(QStringLiteral("Fuzz"));
        e->SetDirChilds(scratch().path());
        e->SetFileName(scratch().path() + QStringLiteral("/dl"));
        store.tree().addTopLevel(e->GetName(), e);
        return e;
    }();
    return *a;
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

    TElement* e = new TElement(agent().store());
    e->SetHasExt(true);
    e->SetParent(&agent());
    e->SetName(QStringLiteral("f"));
    agent().Node()->addChild(e->GetName(), e);
    e->Load();
    for (const QString& name : {e->saveFileNameField(), e->dirChildsField()})
        check(name.isEmpty() || IsSafeFileName(name));
    for (const TElement* image : e->Ext()->ImgList)
        check(image->saveFileNameField().isEmpty() || IsSafeFileName(image->saveFileNameField()));
    check(e->GetSavePath().isEmpty()
          || e->GetSavePath().startsWith(scratch().path() + QStringLiteral("/dl/")));
    e->Node()->deleteNode();
    return 0;
}
