#include "store/StatusTexts.h"

#include "config/FrenchText.h"

#include <QCoreApplication>
#include <cmath>

namespace glanix {

namespace {

struct StatusEntry {
    int number;
    const char* text;
};

constexpr StatusEntry kStatuses[] = {
    {0, QT_TRANSLATE_NOOP("Status", "Non téléchargé")},
    {-1, QT_TRANSLATE_NOOP("Status", "Occupé")},
    {-2, QT_TRANSLATE_NOOP("Status", "Erreur de protocole")},
    {-3, QT_TRANSLATE_NOOP("Status", "Serveur momentanément inaccessible")},
    {-4, QT_TRANSLATE_NOOP("Status", "Serveur inaccessible")},
    {-5, QT_TRANSLATE_NOOP("Status", "Transmission incomplète")},
    {-6, QT_TRANSLATE_NOOP("Status", "Pas de réponse pendant trop longtemps")},
    {kStatusNotStored, QT_TRANSLATE_NOOP("Status", "Enregistrement impossible sur le disque")},
    {100, QT_TRANSLATE_NOOP("Status", "Continue")},
    {101, QT_TRANSLATE_NOOP("Status", "Changement de protocole")},
    {200, QT_TRANSLATE_NOOP("Status", "OK")},
    {201, QT_TRANSLATE_NOOP("Status", "Créé")},
    {202, QT_TRANSLATE_NOOP("Status", "Accepté")},
    {203, QT_TRANSLATE_NOOP("Status", "Non-Authoritative Information")},
    {204, QT_TRANSLATE_NOOP("Status", "Pas de contenu")},
    {205, QT_TRANSLATE_NOOP("Status", "Contenu réinitialisé")},
    {206, QT_TRANSLATE_NOOP("Status", "Chargé en plusieurs fois")},
    {300, QT_TRANSLATE_NOOP("Status", "Choix multiples")},
    {301, QT_TRANSLATE_NOOP("Status", "Déplacé (permanent)")},
    {302, QT_TRANSLATE_NOOP("Status", "Déplacé temporairement")},
    {303, QT_TRANSLATE_NOOP("Status", "Voir autre")},
    {304, QT_TRANSLATE_NOOP("Status", "Non modifié")},
    {305, QT_TRANSLATE_NOOP("Status", "Utilisez le proxy")},
    {400, QT_TRANSLATE_NOOP("Status", "Mauvaise requête")},
    {401, QT_TRANSLATE_NOOP("Status", "Non autorisé")},
    {402, QT_TRANSLATE_NOOP("Status", "Paiement nécessaire")},
    {403, QT_TRANSLATE_NOOP("Status", "Accès interdit")},
    {404, QT_TRANSLATE_NOOP("Status", "Non trouvé")},
    {405, QT_TRANSLATE_NOOP("Status", "Methode interdite")},
    {406, QT_TRANSLATE_NOOP("Status", "Inacceptable")},
    {407, QT_TRANSLATE_NOOP("Status", "Identification du proxy nécessaire")},
    {408, QT_TRANSLATE_NOOP("Status", "Temps de requête dépassé")},
    {409, QT_TRANSLATE_NOOP("Status", "Conflit")},
    {410, QT_TRANSLATE_NOOP("Status", "Parti")},
    {411, QT_TRANSLATE_NOOP("Status", "Longueur nécessaire")},
    {412, QT_TRANSLATE_NOOP("Status", "Precondition Failed")},
    {413, QT_TRANSLATE_NOOP("Status", "Fichier demandé trop grand")},
    {414, QT_TRANSLATE_NOOP("Status", "URI demandée trop longue")},
    {415, QT_TRANSLATE_NOOP("Status", "Type de media non supporté")},
    {500, QT_TRANSLATE_NOOP("Status", "Erreur interne serveur")},
    {501, QT_TRANSLATE_NOOP("Status", "Non implémenté")},
    {502, QT_TRANSLATE_NOOP("Status", "Mauvais Gateway")},
    {503, QT_TRANSLATE_NOOP("Status", "Service inaccessible")},
    {504, QT_TRANSLATE_NOOP("Status", "Temps du Gateway dépassé")},
    {505, QT_TRANSLATE_NOOP("Status", "Version HTTP non supportée")},
};

} // namespace

QString StatusText(int statusNumber, bool complete)
{
    QString text;
    for (const StatusEntry& e : kStatuses) {
        if (e.number == statusNumber) {
            text = QCoreApplication::translate("Status", e.text);
            break;
        }
    }
    if (statusNumber > 0)
        text = QString::number(statusNumber) + QStringLiteral(" : ") + text;
    if (!complete)
        text += QCoreApplication::translate("Status", " - Incomplet");
    return text;
}

QString SizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + QCoreApplication::translate("Status", " octets");
    // Rounded to the nearest hundredth: 1024 bytes is 1,00 Ko, not the 1,50 Ko that adding a
    // half unit before a two-decimal division would show.
    if (bytes < 1048576)
        return frenchNumber(std::round(bytes * 100.0 / 1024.0) / 100.0, 2)
            + QCoreApplication::translate("Status", " Ko");
    return frenchNumber(std::round(bytes * 100.0 / 1048576.0) / 100.0, 2)
        + QCoreApplication::translate("Status", " Mo");
}

} // namespace glanix
