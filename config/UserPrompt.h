#pragma once

#include <QString>
#include <functional>

// Every question and message Glanix puts to the user goes through one UserPrompt, handed to
// whoever needs it. The desktop program shows message boxes (ui/MessageBoxPrompt); tests give
// a scripted one that answers what the test told it to and fails on a question it did not
// expect, so each dialog flow runs headless.
namespace glanix {

class UserPrompt {
public:
    enum Button : unsigned {
        NoButton = 0,
        Ok = 1,
        Yes = 2,
        No = 4,
        Cancel = 8,
    };
    enum class Icon { Information, Warning, Critical, Question };

    virtual ~UserPrompt() = default;

    // A modal message with the given buttons (a mask of Button); returns the one chosen.
    // Closing the box without choosing gives Cancel when offered, else No, else Ok.
    virtual Button ask(Icon icon, const QString& text, unsigned buttons, Button defaultButton) = 0;

    // The confirmation dialog: "&Oui", "&Annuler" and the box "Ne plus poser cette question à
    // l'avenir". `dontAskAgainChanged` is called every time the box is ticked or unticked.
    // Returns whether the user chose yes.
    virtual bool confirm(const QString& text,
                         const std::function<void(bool dontAskAgain)>& dontAskAgainChanged)
        = 0;

    void inform(const QString& text) { ask(Icon::Information, text, Ok, Ok); }

    void warn(const QString& text) { ask(Icon::Warning, text, Ok, Ok); }

    bool yesNo(const QString& text, Button defaultButton = Yes)
    {
        return ask(Icon::Question, text, Yes | No, defaultButton) == Yes;
    }
};

} // namespace glanix
