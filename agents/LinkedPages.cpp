#include "agents/LinkedPages.h"

#include "agents/NewAgent.h"
#include "store/Addresses.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/TElement.h"
#include "store/TreeNode.h"

namespace glanix {

namespace {

TElement* childWithAddress(TElement& parent, const QString& address)
{
    TreeNode* node = parent.Node();
    if (!node)
        return nullptr;
    parent.LoadChildren(1);
    for (int i = 0; i < node->childCount(); ++i) {
        TElement* e = node->child(i)->element();
        if (e && e->isAddressOrPage() && sameAddress(e->GetURL(), address))
            return e;
    }
    return nullptr;
}

TElement* addPage(TElement& parent, const QString& address, const QString& name, double frequency)
{
    NewAddress wanted;
    wanted.url = address;
    wanted.name = name;
    TElement* e = addAddress(parent, wanted);
    if (!e)
        return nullptr;
    if (frequency != kFrequencyInherit) {
        e->SetFrequency(frequency);
        e->Save();
    }
    CreeRepIfNotExists(e->GetSavePath().section(u'/', 0, -2));
    return e;
}

} // namespace

TElement* addLinkedPage(TElement& parent, const QString& address)
{
    const QString url = address.section(u'#', 0, 0).trimmed();
    if (url.isEmpty())
        return nullptr;
    if (TElement* known = childWithAddress(parent, url))
        return known;
    return addPage(parent, url, NameFromFileName(UrlToFileName(url)) + u' ', kFrequencyInherit);
}

TElement* addFormPage(TElement& element, const QString& address)
{
    if (TElement* known = childWithAddress(element, address))
        return known;
    return addPage(element, address, QStringLiteral("Formulaire ") + element.GetName() + u' ', -3);
}

QString linkToFetch(const QString& shown, const QString& lastClicked,
                    const std::function<void(const QString&)>& report)
{
    const QString hovered = shown.trimmed();
    if (hovered != lastClicked && report)
        report(QStringLiteral("Opt.URLClicked (") + lastClicked + QStringLiteral(") aurait dû devenir ")
               + hovered);
    // The link the pop-up was opened on is the one the user means, not an older click.
    return hovered.isEmpty() ? lastClicked.trimmed() : hovered;
}

} // namespace glanix
