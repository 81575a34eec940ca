#include "agents/PropertiesEditor.h"

#include "config/Env.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/NextCheck.h"
#include "store/PageAnalysis.h"
#include "store/TElement.h"

#include <algorithm>

namespace glanix {

namespace {

template<class T> void keepIfSame(std::optional<T>& shown, const std::optional<T>& other)
{
    if (shown != other)
        shown.reset();
}

bool isAddressPageOrImage(const TElement& e)
{
    return e.Kind == kindAddress || e.Kind == kindPage || e.Kind == kindImage;
}

} // namespace

PropertiesEditor::PropertiesEditor(std::vector<TElement*> elements)
{
    for (TElement* e : elements) {
        if (e && hasProperties(*e) && std::find(m_elements.begin(), m_elements.end(), e) == m_elements.end())
            m_elements.push_back(e);
    }
    if (m_elements.empty())
        return;
    m_shown = read(first());
    if (!grouped())
        return;

    m_shown.name.clear();
    m_shown.url.clear();
    m_shown.user.clear();
    m_shown.password.clear();
    const bool images = offersImages();
    for (size_t i = 1; i < m_elements.size(); ++i) {
        const ElementOptions other = read(*m_elements[i]);
        keepIfSame(m_shown.active, other.active);
        keepIfSame(m_shown.versions, other.versions);
        keepIfSame(m_shown.downLoadType, other.downLoadType);
        if (images && allowsDepthTab(*m_elements[i]))
            keepIfSame(m_shown.downLoadImages, other.downLoadImages);
        keepIfSame(m_shown.refresh, other.refresh);
        keepIfSame(m_shown.depth, other.depth);
        keepIfSame(m_shown.linksStart, other.linksStart);
        keepIfSame(m_shown.maskMode, other.maskMode);
        keepIfSame(m_shown.maskText, other.maskText);
    }
    m_shown.linksStartChoice = LinksStartChoice::None;
}

bool PropertiesEditor::hasProperties(const TElement& element)
{
    return element.Kind != kindImageGroup;
}

ElementOptions PropertiesEditor::read(TElement& e)
{
    ElementOptions o;
    if (e.Kind != kindRoot)
        o.name = e.GetName();
    o.active = e.GetActive();
    const AddressCredentials credentials = splitCredentials(e.GetURL());
    o.url = credentials.address;
    o.user = credentials.user;
    o.password = credentials.password;
    o.versions = e.GetVersions();
    o.downLoadType = e.GetDownLoadType();
    o.refresh = refreshPolicyFromCode(e.GetFrequency());
    if (e.HasExt()) {
        o.downLoadImages = e.GetDownLoadImages();
        o.depth = std::max(0, e.GetDownLoadLinksDepth());
        o.linksStart = e.GetDownLoadLinksStart();
        const QString exclude = e.GetExcludeMask();
        const QString include = e.GetIncludeMask();
        o.maskMode = exclude.isEmpty() && !include.isEmpty() ? MaskMode::Only : MaskMode::AllBut;
        o.maskText = !exclude.isEmpty() ? exclude : include;
    } else {
        o.depth = 0;
        o.linksStart = QString();
        o.maskMode = MaskMode::AllBut;
        o.maskText = QString();
    }
    o.linksStartChoice = choiceFor(o.linksStart.value_or(QString()), o.url);
    return o;
}

bool PropertiesEditor::allowsDepthTab(TElement& e)
{
    switch (e.Kind) {
    case kindAgent:
    case kindFolder:
        return true;
    case kindAddress:
    case kindPage:
        return e.HasExt() && e.IsHtml();
    default:
        return false;
    }
}

bool PropertiesEditor::showsAddress() const
{
    return !isEmpty() && isAddressPageOrImage(first());
}

bool PropertiesEditor::offersDepthTab() const
{
    return !isEmpty()
        && std::all_of(m_elements.begin(), m_elements.end(), [](TElement* e) { return allowsDepthTab(*e); });
}

bool PropertiesEditor::offersImages() const
{
    return !isEmpty() && allowsDepthTab(first());
}

bool PropertiesEditor::showsNextCheck() const
{
    return !isEmpty() && !grouped() && isAddressPageOrImage(first());
}

QString PropertiesEditor::nextCheckText(TDateTime now) const
{
    return glanix::nextCheckText(nextCheckTime(first()), now);
}

QString PropertiesEditor::normaliseUrl(const QString& url)
{
    return addScheme(url);
}

QString PropertiesEditor::linksStartFor(LinksStartChoice choice, const QString& url)
{
    if (url.trimmed().isEmpty())
        return {};
    switch (choice) {
    case LinksStartChoice::SameServer:
        return ServerPart(url);
    case LinksStartChoice::SameDirectory:
        return DirectoryPart(url);
    case LinksStartChoice::None:
        break;
    }
    return {};
}

LinksStartChoice PropertiesEditor::choiceFor(const QString& start, const QString& url)
{
    if (start.isEmpty() || url.isEmpty())
        return LinksStartChoice::None;
    if (start == ServerPart(url))
        return LinksStartChoice::SameServer;
    if (start == DirectoryPart(url))
        return LinksStartChoice::SameDirectory;
    return LinksStartChoice::None;
}

void StoredPageFollowUp::analysePage(TElement& page)
{
    // The options may have changed what the analysis keeps; start from the stored copy again.
    page.FreeAnalysis();
    AnalysePage(page);
}

void StoredPageFollowUp::queueImages(TElement& page)
{
    CreateImageChildren(page);
}

void StoredPageFollowUp::queueLinks(TElement& page)
{
    CreateLinkedPages(page);
}

void PropertiesEditor::save(const ElementOptions& chosen, PropertiesFollowUp* followUp)
{
    ElementOptions normalised = chosen;
    normalised.url = normaliseUrl(chosen.url);
    for (TElement* e : m_elements) {
        apply(normalised, *e);
        if (!e->Save())
            e->store().env().logError(QStringLiteral("Pb dans l'enregistrement des propriétés de ")
                                      + e->GetName());
    }

    for (TElement* e : m_elements) {
        e->ImageIndex = -1; // the icon may depend on the options just changed
        if (TreeNode* node = e->Node()) {
            node->notifyChanged();
            e->store().host().refreshNode(node);
        }
    }
    if (grouped() || !followUp)
        return;
    TElement& e = first();
    if (e.isAddressOrPage() && e.IsHtml()) {
        followUp->analysePage(e);
        if (e.GetDownLoadImages())
            followUp->queueImages(e);
        if (e.GetDownLoadLinksDepth() > 0)
            followUp->queueLinks(e);
    }
    followUp->refreshInformationView(e);
}

void PropertiesEditor::apply(const ElementOptions& o, TElement& e) const
{
    const QString name = o.name.trimmed();
    const bool namePresent = !name.isEmpty() && !grouped();
    if (namePresent && name != e.GetName())
        e.SetName(name);

    if (o.active)
        e.SetActive(*o.active);
    if (o.downLoadImages && e.HasExt())
        e.SetDownLoadImages(*o.downLoadImages);

    if (e.HasExt()) {
        if (o.depth)
            e.SetDownLoadLinksDepth(*o.depth);
        if (o.linksStart && (!o.linksStart->trimmed().isEmpty() || namePresent))
            e.SetDownLoadLinksStart(o.linksStart->trimmed());
        if (o.maskMode && o.maskText) {
            const QString text = o.maskText->trimmed();
            e.SetIncludeMask(*o.maskMode == MaskMode::Only ? text : QString());
            e.SetExcludeMask(*o.maskMode == MaskMode::AllBut ? text : QString());
        }
    }

    if (!grouped() && !o.url.trimmed().isEmpty())
        e.SetURL(composeAddress(o.url.trimmed(), o.user, o.password));
    // After the address, which drags the prefix along by its own rule.
    if (e.HasExt() && o.linksStartChoice != LinksStartChoice::None)
        e.SetDownLoadLinksStart(linksStartFor(o.linksStartChoice, e.GetURL()));

    if (o.refresh)
        e.SetFrequency(frequencyCode(*o.refresh));
    if (o.versions)
        e.SetVersions(static_cast<quint8>(std::clamp(*o.versions, 0, 99)));
    if (o.downLoadType)
        e.SetDownLoadType(static_cast<quint8>(*o.downLoadType));
}

} // namespace glanix
