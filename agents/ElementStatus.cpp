#include "agents/ElementStatus.h"

#include "config/FrenchText.h"
#include "store/StatusTexts.h"
#include "store/TElement.h"

#include <QCoreApplication>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("ElementStatus", text);
}

QString statusDate(TDateTime date)
{
    return frenchDate(date, QStringLiteral("dddd dd/MM/yy hh:mm"));
}

} // namespace

ElementStatusTexts describeElement(TElement* e)
{
    ElementStatusTexts t;
    if (!e) {
        t.panel2 = tr("Absent");
        return t;
    }
    if (e->Kind == kindAgent || e->Kind == kindFolder || e->Kind == kindImageGroup || e->Kind == kindRoot) {
        if (e->LastModified > 0)
            t.panel1 = tr("URL le plus récent : ") + statusDate(e->LastModified);
        return t;
    }
    t.panel1 = e->GetURL();
    QStringList hint;
    if (e->LastModified == 0) {
        if (e->StatusNumber > 400 || e->StatusNumber < 0)
            t.panel2 = e->StatusText();
        else if (!e->GetURL().isEmpty())
            t.panel2 = tr("à télécharger");
        else
            t.panel1 = tr("URL non renseigné");
    } else {
        const QString mark = e->LastModified == e->DateDownloaded ? QStringLiteral("*") : QString();
        t.panel2 = mark + statusDate(e->LastModified) + QStringLiteral("  ") + SizeText(e->Size);
    }
    if (!(e->StatusNumber >= 0 && e->StatusNumber <= 399 && e->Complete))
        hint << e->StatusText();
    if (e->LastModified != 0 && e->BeforeLastModified > 0)
        hint << tr("et après le ") + statusDate(e->BeforeLastModified);
    t.hint = hint.join(u'\n');
    if (const QString info = e->GetServerInfo(); !info.isEmpty())
        t.hint += (t.hint.isEmpty() ? QString() : QStringLiteral("\n\n")) + info;
    return t;
}

} // namespace glanix
