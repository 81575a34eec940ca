#include "views/CompareSettings.h"

#include "config/IniFile.h"

namespace glanix {

CompareSettings loadCompareSettings(const QString& iniFileName)
{
    const IniFile ini(iniFileName);
    const QString g = QStringLiteral("General");
    CompareSettings s;
    s.NbCharToCompare = ini.readInteger(g, u"NbCharToCompare", s.NbCharToCompare);
    s.NbMiniCharDifferent = ini.readInteger(g, u"NbMiniCharDifferent", s.NbMiniCharDifferent);
    s.MaxComparePeriod = ini.readInteger(g, u"MaxComparePeriod", s.MaxComparePeriod);
    s.HighLightColor = ini.readInteger(g, u"HighLightColor", s.HighLightColor);
    s.CompareTextOnly = ini.readBool(g, u"CompareTextOnly", s.CompareTextOnly);
    return s;
}

} // namespace glanix
