#include "agents/NetscapeAgent.h"

#include "config/AtomicFile.h"
#include "config/Env.h"
#include "store/ElementStore.h"
#include "store/FileOps.h"
#include "store/TElement.h"

#include <QFile>
#include <QFileInfo>

namespace glanix {

QString netscapeBookmarkFile(const QString& bookMarkFileName)
{
    const QString file = bookMarkFileName.trimmed();
    return file.isEmpty() ? QString() : file;
}

void refreshNetscapeAgent(TElement& agent, const QString& bookMarkFileName)
{
    TreeNode* node = agent.Node();
    if (!node)
        return;
    ElementStore& store = agent.store();
    if (!node->hasChildren()) {
        auto* bookmark = new TElement(store);
        bookmark->SetHasExt(true);
        bookmark->Kind = kindAddress;
        bookmark->SetParent(&agent);
        bookmark->SetName(QStringLiteral("BookMark"));
        bookmark->SetFileName(QStringLiteral("BookMark.htm"));
        bookmark->ContentType = QStringLiteral("text/html");
        node->addSorted(bookmark->GetName(), bookmark);
        bookmark->Save();
    }
    TElement* bookmark = node->firstChild()->element();
    const QString source = netscapeBookmarkFile(bookMarkFileName);
    if (!bookmark || source.isEmpty() || !QFileInfo(source).isFile())
        return;
    const TDateTime fileDate = FileDateOf(source);
    if (fileDate - 1.0 / 1440 <= bookmark->LastModified)
        return;
    const QString target = bookmark->GetSavePath();
    if (target.isEmpty())
        return;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        store.env().logError(QStringLiteral("Pb dans la lecture de ") + source);
        return;
    }
    const QByteArray content = in.readAll();
    CreeRepIfNotExists(agent.GetSavePath(), &store.env());
    if (const WriteResult r = writeFileAtomically(target, content); !r.ok) {
        store.env().logError(r.error);
        return;
    }
    bookmark->Size = static_cast<qint32>(std::min<qint64>(content.size(), INT32_MAX));
    bookmark->SetLastModified(fileDate);
    bookmark->SetState(stateUnread);
    bookmark->Save();
}

} // namespace glanix
