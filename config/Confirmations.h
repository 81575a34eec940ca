#pragma once

#include <QString>

// Questions the user may switch off for the future, remembered in section Confirmations of
// Glanix.ini under a name per question ("OnIEDelete", "OnURLClick").
namespace glanix {

class Env;
class UserPrompt;

// Asks unless the user said not to; a question switched off answers yes.
bool askConfirmation(Env& env, UserPrompt& prompt, const QString& message, const QString& name);

bool isConfirmationAsked(const Env& env, const QString& name);

// "Demander toutes les confirmations": every question is asked again.
void resetConfirmations(Env& env);

} // namespace glanix
