#include "config/Confirmations.h"

#include "config/Env.h"
#include "config/IniFile.h"
#include "config/UserPrompt.h"

namespace glanix {

namespace {

constexpr QStringView kSection = u"Confirmations";

} // namespace

bool isConfirmationAsked(const Env& env, const QString& name)
{
    const IniFile ini(env.iniFileName());
    return ini.readBool(kSection, name, true);
}

bool askConfirmation(Env& env, UserPrompt& prompt, const QString& message, const QString& name)
{
    if (name.trimmed().isEmpty()) {
        if (env.isDebug())
            env.logError(QStringLiteral("ConfType vide"));
        // Nothing to remember it under: ask every time.
        return prompt.confirm(message, [](bool) {});
    }
    if (!isConfirmationAsked(env, name))
        return true;
    return prompt.confirm(message, [&env, &name](bool dontAskAgain) {
        IniFile ini(env.iniFileName());
        ini.writeBool(kSection, name, !dontAskAgain);
        const WriteResult result = ini.save();
        if (!result.ok)
            env.logError(QStringLiteral("Pb dans l'enregistrement de la confirmation %1 : %2")
                             .arg(name, result.error));
    });
}

void resetConfirmations(Env& env)
{
    IniFile ini(env.iniFileName());
    ini.eraseSection(kSection);
    const WriteResult result = ini.save();
    if (!result.ok)
        env.logError(QStringLiteral("Pb dans la remise à zéro des confirmations : %1").arg(result.error));
}

} // namespace glanix
