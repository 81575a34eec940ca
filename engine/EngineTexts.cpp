#include "engine/EngineTexts.h"

#include "config/FrenchText.h"

#include <QCoreApplication>

namespace glanix::engine_texts {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("Engine", text);
}

} // namespace

QString running(int running)
{
    return tr("En cours ") + QString::number(running);
}

QString applicationHint(int running)
{
    if (running <= 0)
        return {};
    if (running == 1)
        return tr("1 téléchargement en cours");
    return QString::number(running) + tr(" téléchargements en cours");
}

QString counters(int verified, int created, int modified, int errors)
{
    QString text = tr("Vérifiés ") + QString::number(verified) + tr(" - Nouveaux ") + QString::number(created)
        + tr(" - Modifiés ") + QString::number(modified);
    if (errors > 0)
        text += tr(" - Erreurs ") + QString::number(errors);
    return text;
}

QString total(double bytes)
{
    return tr("Total ") + QString::number(static_cast<qint64>(bytes) / 1024) + tr("Ko");
}

QString rate(double koPerSecond)
{
    return frenchNumber(koPerSecond, 2) + tr(" Ko/s");
}

QString loadingNewUrls()
{
    return tr("Chargement des nouvelles URLs");
}

QString checkingExistingUrls()
{
    return tr("Vérification des URLs existantes");
}

QString lastConnectionHint(const QString& counters, const QString& total, const QString& rate)
{
    return tr("Dernière connexion :") + u'\n' + counters + u'\n' + total + u'\n' + rate;
}

QString endButtonHint(int minutes)
{
    if (minutes < 0)
        return tr("Connexion terminée");
    return tr("Durée de la dernière connection : ") + QString::number(minutes) + tr(" minutes");
}

QString connectedSince(int minutes)
{
    return tr("Connecté depuis ") + QString::number(minutes) + (minutes < 2 ? tr(" minute") : tr(" minutes"));
}

QString hungUp()
{
    return tr("Raccroché");
}

QString connected()
{
    return tr("Connecté");
}

QString dialling()
{
    return tr("Numérotation...");
}

QString notConnected(const QString& message)
{
    return tr("Non connecté ") + message;
}

QString activeConnection(const QString& entry, const QString& device, const QString& status)
{
    return entry + QStringLiteral(" - ") + device + QStringLiteral(" - ") + status;
}

QString lowDiskSpace(const QString& drive, bool startButtonVisible)
{
    const QString first = tr("La place disponible sur le disque ") + drive + tr(": est inférieure à 10 Mo");
    if (startButtonVisible)
        return first + u'\n' + tr("Veuillez libérer de la place pour éviter tout problème");
    return first + u'\n' + tr("Glanix arrête de lancer de nouveaux téléchargements") + u'\n'
        + tr("pour vous laisser le temps de faire de la place");
}

QString lowDiskSpaceDebug(qint64 freeBytes, const QString& drive)
{
    return tr("Message de debug; note-le STP") + u'\n' + tr("Seulement ") + QString::number(freeBytes)
        + tr(" octets libres sur ") + drive;
}

} // namespace glanix::engine_texts
