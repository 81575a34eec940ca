#pragma once

#include <QString>

// Every text the download engine shows about a cycle and the connection, in the program's
// own French wording, composed here so that the desktop program and glanix-cli only display
// them.
namespace glanix::engine_texts {

// Panel 0 of the communication bar: "En cours 3".
QString running(int running);
// The application hint: empty, "1 téléchargement en cours", "3 téléchargements en cours".
QString applicationHint(int running);
// Panel 1: "Vérifiés 12 - Nouveaux 3 - Modifiés 1", and " - Erreurs 2" once a download failed.
QString counters(int verified, int created, int modified, int errors = 0);
// Panel 2: "Total 150Ko".
QString total(double bytes);
// Panel 3: "12,50 Ko/s".
QString rate(double koPerSecond);

QString loadingNewUrls(); // "Chargement des nouvelles URLs"
QString checkingExistingUrls(); // "Vérification des URLs existantes"

// The start button's hint after a cycle: the last counters, total and rate.
QString lastConnectionHint(const QString& counters, const QString& total, const QString& rate);
// The end button's hint after a cycle; `minutes` < 0 when no duration was noted.
QString endButtonHint(int minutes);
// The end button's hint during a connection: "Connecté depuis 1 minute".
QString connectedSince(int minutes);

// The global status bar.
QString hungUp(); // "Raccroché"
QString connected(); // "Connecté"
QString dialling(); // "Numérotation..."
QString notConnected(const QString& message); // "Non connecté " + message
QString activeConnection(const QString& entry, const QString& device, const QString& status);

// Low disk space on the file system `drive`.
QString lowDiskSpace(const QString& drive, bool startButtonVisible);
QString lowDiskSpaceDebug(qint64 freeBytes, const QString& drive);

} // namespace glanix::engine_texts
