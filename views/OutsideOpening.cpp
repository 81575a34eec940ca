#include "views/OutsideOpening.h"

#include "agents/Launcher.h"
#include "config/AtomicFile.h"
#include "config/Env.h"
#include "config/OptGene.h"
#include "config/UserPrompt.h"
#include "store/FileNames.h"
#include "store/TElement.h"
#include "views/ExternalView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("OutsideOpening", text);
}

} // namespace

bool OutsideOpening::openInBrowser(const QString& target)
{
    const QUrl url = QUrl::fromUserInput(target);
    if (!opt.ExternalBrowser.isEmpty())
        return launcher.startProgram(opt.ExternalBrowser, {url.toString(QUrl::FullyEncoded)});
    return launcher.openUrl(url);
}

bool OutsideOpening::openAddress(const QString& address)
{
    return !address.isEmpty() && openInBrowser(address);
}

bool OutsideOpening::open(TElement& e, bool local)
{
    if (!e.isAddressOrPage() && !e.isImage())
        return false;
    bool opened = false;
    if (local && QFileInfo(e.GetSavePath()).isFile()) {
        opened = openVersion(e, 1);
    } else {
        if (!e.Complete
            && !prompt.yesNo(
                tr("L'élement que vous désirez ouvrir dans le programme associé\rest incomplet (icône "
                   "plus clair).\rVoulez-vous tout de même le visualiser ?")))
            return false;
        opened = openAddress(e.GetURL());
    }
    if (e.State == stateUnread) {
        e.State = stateRead;
        e.Save();
    }
    return opened;
}

bool OutsideOpening::openVersion(TElement& e, int version)
{
    const QString file = SaveFileNameVersionPrec(e.GetSavePath(), version);
    const bool exists = QFileInfo(file).isFile();
    if (e.IsHtml()) {
        if (!exists)
            return openAddress(e.GetURL());
        if (version > 1)
            return openInBrowser(QUrl::fromLocalFile(file).toString());
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return openAddress(e.GetURL());
        const QString external = env.homeFile(QStringLiteral("Vue externe.html"));
        if (!writeFileAtomically(external, buildExternalView(e, in.readAll()), false).ok)
            return openAddress(e.GetURL());
        return openInBrowser(QUrl::fromLocalFile(external).toString());
    }
    if (!exists)
        return false;
    if (QFileInfo(file).suffix().trimmed().compare(u"exe", Qt::CaseInsensitive) == 0) {
        // Never run from the store: a copy elsewhere, opened as the desktop sees fit.
        const QString folder = QDir::tempPath();
        const QString copy = folder + u'/' + QFileInfo(file).fileName();
        QFile::remove(copy);
        if (!QFile::copy(file, copy))
            return false;
        prompt.inform(tr("Ce fichier est copié dans ") + QDir::toNativeSeparators(folder) + u'\r'
                      + tr("afin d'y être exécuté.") + u'\r' + tr("Vous devrez penser à l'effacer ensuite"));
        return launcher.openUrl(QUrl::fromLocalFile(copy));
    }
    return launcher.openUrl(QUrl::fromLocalFile(file));
}

} // namespace glanix
