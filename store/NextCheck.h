#pragma once

#include "config/DateTime.h"

#include <QString>

// When an address in automatic mode is checked next: soon after a page that changes often,
// rarely for one that never changes, and at least once every 30 days. Shown by the properties
// dialog and the information page; the scheduler uses the same time.
namespace glanix {

class TElement;

constexpr double kMaxCheckPeriodDays = 30;

TDateTime nextCheckTime(TDateTime lastModified, TDateTime beforeLastModified, TDateTime lastVerified);

// "dans 2 jours", or "dès que possible" once the time has come.
QString nextCheckText(TDateTime next, TDateTime now);

// The same for an element, "now" coming from its store's clock.
TDateTime nextCheckTime(const TElement& element);
QString nextCheckText(const TElement& element);

// "1 heure", "5 heures", "1 jour", "12 jours", "7 mois".
QString durationText(double days);

} // namespace glanix
