#include "agents/ElementPath.h"

#include "store/TElement.h"
#include "store/TreeNode.h"

namespace glanix {

namespace {

constexpr int kWholeTree = 1000;

QString addressKey(QString url)
{
    url = url.trimmed();
    if (const qsizetype hash = url.indexOf(u'#'); hash >= 0)
        url.truncate(hash);
    if (url.endsWith(u'/'))
        url.chop(1);
    return url;
}

bool sameAddress(const TElement& e, const QString& key)
{
    return !e.GetURL().isEmpty() && addressKey(e.GetURL()).compare(key, Qt::CaseInsensitive) == 0;
}

TElement* childNamed(TElement& parent, const QString& name)
{
    parent.LoadChildren(1);
    TreeNode* node = parent.Node();
    for (int i = 0; node && i < node->childCount(); ++i) {
        TElement* child = node->child(i)->element();
        if (child && child->Kind != kindImageGroup && child->GetName() == name)
            return child;
    }
    return nullptr;
}

// Depth first below `e`; a page's images come right after the page, whether the tree shows
// them or not.
TElement* findBelow(TElement& e, const QString& key)
{
    if (e.Kind != kindImageGroup && e.Kind != kindAgent && sameAddress(e, key))
        return &e;
    if (TExt* ext = e.Ext()) {
        for (TElement* image : ext->ImgList) {
            if (sameAddress(*image, key))
                return image;
        }
    }
    TreeNode* node = e.Node();
    for (int i = 0; node && i < node->childCount(); ++i) {
        TElement* child = node->child(i)->element();
        if (!child || child->isImageOrGroup())
            continue;
        if (TElement* found = findBelow(*child, key))
            return found;
    }
    return nullptr;
}

} // namespace

TElement* elementAtTreePath(TElement& agent, const QString& path)
{
    TElement* at = &agent;
    const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        // "Images" names the group only when an image name follows it and no child of that
        // name exists.
        if (part == u"Images" && i + 1 < parts.size() && at->HasExt()) {
            if (TElement* child = childNamed(*at, part)) {
                at = child;
                continue;
            }
            if (i + 2 != parts.size())
                return nullptr;
            return at->findImageByName(parts[i + 1]);
        }
        at = childNamed(*at, part);
        if (!at)
            return nullptr;
    }
    return at;
}

TElement* firstElementWithAddress(TElement& agent, const QString& url)
{
    const QString key = addressKey(url);
    if (key.isEmpty())
        return nullptr;
    agent.LoadChildren(kWholeTree);
    return findBelow(agent, key);
}

TElement* findElementArg(TElement& agent, const QString& pathOrUrl)
{
    if (pathOrUrl.contains(QLatin1String("://")))
        return firstElementWithAddress(agent, pathOrUrl);
    return elementAtTreePath(agent, pathOrUrl);
}

} // namespace glanix
