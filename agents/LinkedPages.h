#pragma once

#include <QString>

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

} // namespace glanix
