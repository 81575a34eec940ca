#pragma once

#include "config/DateTime.h"

#include <QString>

// The process-wide settings of sections General and Html of Glanix.ini, one field per key,
// named after the key and initialised to its default. The one instance (`Opt`) is owned by
// Settings; everything that reads a general option asks it. Run-time lists (open agents,
// view windows, download threads) belong to their owners, not here.
namespace glanix {

// Colours as stored: 0x00BBGGRR, or 0x80000000 plus a system colour index.
using TColor = int;
constexpr TColor kSystemButtonText = static_cast<TColor>(0x80000012u);

struct TOptGene {
    // Read at start-up: true means the previous start never completed.
    bool Starting = false;

    int NbMaxDownLoads = 20;
    int ReadTime = 2;
    int TimeOut = 120;
    int TimeOutByPage = 5;
    bool DoNotCheckDiskSpace = false;
    bool InvertMouse = false;
    bool DownLoadFromSelection = true;
    bool PriorityToChilds = false;
    bool SaveCommsForImg = false;
    bool KeepReady = true;
    bool SeeImages = true;
    double TotalDownLoadedSinceBeginning = 0; // bytes
    TDateTime DateStartedFromZero = 0;
    bool HangUpWhenFinished = false;
    QString ConnectEntry;
    bool ConnectByModem = true;
    double DoNotHangUpBefore = 3.0 / 1440; // days
    double HangUpAfter = 0.125; // days
    QString Proxy;
    QString UserName;
    QString UserMail;
    int BandWithLimit = 0; // Ko/s, 0 = unlimited
    int NbCharToCompare = 30;
    int NbMiniCharDifferent = 15;
    int MaxComparePeriod = 10;
    TColor HighLightColor = 0xF000F0;
    bool CompareTextOnly = true;
    QString ExternalBrowser;
    QString ExternalEditor;
    QString BookMarkFileName;
    bool Compare = true;
    // The browser's favourites folder shared with an agent; empty = none.
    QString FavoritesFolder;

    TColor DefBackGround = 0xFFFFFF;
    TColor DefFontColor = kSystemButtonText;
    QString DefFontName;
    int DefFontSize = 10;
    TColor DefHotSpotColor = 0xFF0000;
    QString DefPreFontName = QStringLiteral("Courier New");
    // The views run the scripts of stored pages (which never reach the network); their script
    // files are then stored with the pages too.
    bool RunScripts = false;

    // Tab of the properties dialog shown first: 1 parameters, 2 refresh, 3 depth. Not saved.
    int OptionsURLTab = 1;
};

} // namespace glanix
