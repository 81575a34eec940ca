#pragma once

#include <QString>

// The options the change highlighting and the download engine's modified test read. The
// caller fills it (the settings object does, glanix-cli reads Glanix.ini directly).
namespace glanix {

struct CompareSettings {
    int NbCharToCompare = 30;       // significant characters a resynchronisation point needs
    int NbMiniCharDifferent = 15;   // shorter changes are coloured, longer ones framed
    int MaxComparePeriod = 10;      // seconds before giving up; 0 = no limit
    int HighLightColor = 0xF000F0;  // 0x00BBGGRR
    bool CompareTextOnly = true;    // modified test: text only, not markup
};

// Section General of the ini file, with the defaults above for what is missing or unreadable.
CompareSettings loadCompareSettings(const QString& iniFileName);

} // namespace glanix
