#pragma once

#include <QString>
#include <functional>

// Pages a user asks for from a view, fetched at the next connection: a link that is not
// stored ("Récupérer ce lien", a click on a missing link) and a form submitted.
namespace glanix {

class TElement;

// A linked page under `parent` for the address (cut before "#"), named after its file with a
// provisional blank; an element of the parent that already has the address is returned as it
// is. Null when it cannot be saved.
TElement* addLinkedPage(TElement& parent, const QString& address);

// The page a form submission asks for (`address` from formSubmissionAddress): the child of
// `element` with that address, else a new one named "Formulaire <name> ", fetched once.
TElement* addFormPage(TElement& element, const QString& address);

// "Récupérer ce lien": the address to fetch from the one the status bar shows (the link last
// hovered) and the one last clicked. A mismatch is reported through `report`; empty when
// there is neither.
QString linkToFetch(const QString& shown, const QString& lastClicked,
                    const std::function<void(const QString&)>& report);

} // namespace glanix
