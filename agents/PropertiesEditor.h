#pragma once

#include "agents/AddressOptions.h"
#include "config/DateTime.h"

#include <QString>
#include <optional>
#include <vector>

// The logic of the properties dialog, for one element or several ("grouped properties"):
// what to show (inherited values, what differs between the elements, which controls a kind
// has) and how the user's choice is written back into each element and its file. The dialog
// only moves these plain values to and from its widgets.
namespace glanix {

class TElement;

enum class MaskMode { Only, AllBut };
enum class LinksStartChoice { None, SameServer, SameDirectory };

// One value per control; nullopt is the undetermined state of grouped editing (a grayed box,
// an emptied field, a pair of radios with neither selected), which leaves the option alone.
struct ElementOptions {
    QString name;
    std::optional<bool> active;
    QString url; // without user name and password
    QString user;
    QString password;
    std::optional<int> versions;
    std::optional<int> downLoadType; // 0 the whole document, 1 the information only
    std::optional<bool> downLoadImages;
    std::optional<RefreshPolicy> refresh; // nullopt: "Inchangée"
    std::optional<int> depth;
    std::optional<QString> linksStart;
    LinksStartChoice linksStartChoice = LinksStartChoice::None;
    std::optional<MaskMode> maskMode;
    std::optional<QString> maskText;
};

// What a later task does after a single element was saved; every call does nothing here.
class PropertiesFollowUp {
public:
    virtual ~PropertiesFollowUp() = default;

    // Page analysis of the stored copy, which makes the image and link children.
    virtual void analysePage(TElement& /*page*/) { }

    virtual void queueImages(TElement& /*page*/) { }

    virtual void queueLinks(TElement& /*page*/) { }

    // An information view that shows the element shows it again.
    virtual void refreshInformationView(TElement& /*element*/) { }
};

// The follow-up of the window: the page's stored copy is analysed again and the images and
// links it asks for become children, which the next download cycle fetches.
class StoredPageFollowUp : public PropertiesFollowUp {
public:
    void analysePage(TElement& page) override;
    void queueImages(TElement& page) override;
    void queueLinks(TElement& page) override;
};

class PropertiesEditor {
public:
    // The first element is shown; the others are compared with it. Elements that have no
    // properties (the image group) are left out.
    explicit PropertiesEditor(std::vector<TElement*> elements);

    static bool hasProperties(const TElement& element);

    bool isEmpty() const { return m_elements.empty(); }

    bool grouped() const { return m_elements.size() > 1; }

    const std::vector<TElement*>& elements() const { return m_elements; }

    TElement& first() const { return *m_elements.front(); }

    const ElementOptions& shown() const { return m_shown; }

    // Which controls the first element has.
    bool showsAddress() const; // URL, user, password, depth, link prefix
    bool offersDepthTab() const; // every element allows it
    bool offersImages() const; // "Récupérer les images"
    bool showsNextCheck() const; // automatic mode applies to addresses, pages, images
    QString nextCheckText(TDateTime now) const;

    // The URL field once left: scheme added.
    static QString normaliseUrl(const QString& url);
    // The prefix that goes with a link-prefix choice for the address in the URL field.
    static QString linksStartFor(LinksStartChoice choice, const QString& url);
    // The choice whose prefix equals `start`, or None.
    static LinksStartChoice choiceFor(const QString& start, const QString& url);

    // Writes `chosen` into every element and saves it. After a single element, what follows
    // a change of its options (page analysis, queueing, refreshing its node and views).
    void save(const ElementOptions& chosen, PropertiesFollowUp* followUp = nullptr);

private:
    static ElementOptions read(TElement& element);
    static bool allowsDepthTab(TElement& element);
    void apply(const ElementOptions& chosen, TElement& element) const;

    std::vector<TElement*> m_elements;
    ElementOptions m_shown;
};

} // namespace glanix
