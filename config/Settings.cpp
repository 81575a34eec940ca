#include "config/Settings.h"

#include "config/AtomicFile.h"
#include "config/IniFile.h"
#include "config/TextCodec.h"

#include <QFile>
#include <algorithm>
#include <type_traits>
#include <variant>

namespace glanix {

namespace {

constexpr QStringView kGeneral = u"General";
constexpr QStringView kHtml = u"Html";
constexpr QStringView kOpenedAgents = u"OpenedAgents";
constexpr QStringView kOpenedWindows = u"OpenedWindows";
constexpr QStringView kToolbars = u"Toolbars";

using Field = std::variant<int TOptGene::*, bool TOptGene::*, double TOptGene::*, QString TOptGene::*>;

enum KeyFlag : unsigned {
    Saved = 1, // written at shutdown
    Dialog = 2, // written when the general options dialog closes with OK
};

struct Key {
    QStringView name;
    Field field;
    unsigned flags;
};

// In the order they are read.
const Key kHtmlKeys[] = {
    {u"DefBackGround", &TOptGene::DefBackGround, Saved},
    {u"DefFontColor", &TOptGene::DefFontColor, Saved},
    {u"DefFontName", &TOptGene::DefFontName, Saved},
    {u"DefFontSize", &TOptGene::DefFontSize, Saved},
    {u"DefHotSpotColor", &TOptGene::DefHotSpotColor, Saved},
    {u"DefPreFontName", &TOptGene::DefPreFontName, Saved},
    {u"RunScripts", &TOptGene::RunScripts, Saved},
};

// The keys the dialog edits are written when it closes, not only at shutdown, so that a
// crash does not lose them and glanix-cli sees them at once.
const Key kGeneralKeys[] = {
    {u"NbMaxDownLoads", &TOptGene::NbMaxDownLoads, Saved | Dialog},
    {u"ReadTime", &TOptGene::ReadTime, Saved | Dialog},
    {u"TimeOut", &TOptGene::TimeOut, Saved | Dialog},
    {u"TimeOutByPage", &TOptGene::TimeOutByPage, Saved | Dialog},
    {u"DoNotCheckDiskSpace", &TOptGene::DoNotCheckDiskSpace, Saved | Dialog},
    {u"InvertMouse", &TOptGene::InvertMouse, Saved},
    {u"DownLoadFromSelection", &TOptGene::DownLoadFromSelection, Saved | Dialog},
    {u"PriorityToChilds", &TOptGene::PriorityToChilds, Saved | Dialog},
    {u"SaveCommsForImg", &TOptGene::SaveCommsForImg, Saved | Dialog},
    {u"KeepReady", &TOptGene::KeepReady, Saved | Dialog},
    {u"SeeImages", &TOptGene::SeeImages, Saved},
    {u"TotalDownLoadedSinceBeginning", &TOptGene::TotalDownLoadedSinceBeginning, Saved},
    {u"DateStartedFromZero", &TOptGene::DateStartedFromZero, Saved},
    {u"HangUpWhenFinished", &TOptGene::HangUpWhenFinished, Saved},
    {u"ConnectEntry", &TOptGene::ConnectEntry, Saved},
    {u"ConnectByModem", &TOptGene::ConnectByModem, Saved | Dialog},
    {u"DoNotHangUpBefore", &TOptGene::DoNotHangUpBefore, Saved | Dialog},
    {u"HangUpAfter", &TOptGene::HangUpAfter, Saved | Dialog},
    {u"Proxy", &TOptGene::Proxy, Saved | Dialog},
    {u"UserName", &TOptGene::UserName, Saved | Dialog},
    {u"UserMail", &TOptGene::UserMail, Saved | Dialog},
    {u"BandWithLimit", &TOptGene::BandWithLimit, Saved | Dialog},
    {u"NbCharToCompare", &TOptGene::NbCharToCompare, Saved | Dialog},
    {u"NbMiniCharDifferent", &TOptGene::NbMiniCharDifferent, Saved | Dialog},
    {u"MaxComparePeriod", &TOptGene::MaxComparePeriod, Saved | Dialog},
    {u"HighLightColor", &TOptGene::HighLightColor, Saved | Dialog},
    {u"CompareTextOnly", &TOptGene::CompareTextOnly, Saved | Dialog},
    {u"ExternalBrowser", &TOptGene::ExternalBrowser, Saved | Dialog},
    {u"ExternalEditor", &TOptGene::ExternalEditor, Saved | Dialog},
    {u"BookMarkFileName", &TOptGene::BookMarkFileName, 0},
    {u"Compare", &TOptGene::Compare, Saved},
    {u"FavoritesFolder", &TOptGene::FavoritesFolder, Saved | Dialog},
};

void readKey(const IniFile& ini, QStringView section, const Key& key, TOptGene& opt, const TOptGene& defaults)
{
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(opt.*member)>;
            if constexpr (std::is_same_v<T, int>)
                opt.*member = ini.readInteger(section, key.name, defaults.*member);
            else if constexpr (std::is_same_v<T, bool>)
                opt.*member = ini.readBool(section, key.name, defaults.*member);
            else if constexpr (std::is_same_v<T, double>)
                opt.*member = ini.readReal(section, key.name, defaults.*member);
            else
                opt.*member = ini.readString(section, key.name, defaults.*member);
        },
        key.field);
}

void writeKey(IniFile& ini, QStringView section, const Key& key, const TOptGene& opt)
{
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(opt.*member)>;
            if constexpr (std::is_same_v<T, int>)
                ini.writeInteger(section, key.name, opt.*member);
            else if constexpr (std::is_same_v<T, bool>)
                ini.writeBool(section, key.name, opt.*member);
            else if constexpr (std::is_same_v<T, double>)
                ini.writeReal(section, key.name, opt.*member);
            else
                ini.writeString(section, key.name, opt.*member);
        },
        key.field);
}

QString defaultFontName(const DisplayInfo& display)
{
    for (const char* family : {"Verdana", "Helvetica", "Arial"}) {
        const QString name = QString::fromLatin1(family);
        if (display.fontInstalled && display.fontInstalled(name))
            return name;
    }
    // None of them on most Linux desktops: the desktop's own font reads better than a serif.
    if (!display.desktopFont.isEmpty())
        return display.desktopFont;
    return QStringLiteral("Times New Roman");
}

void saveOrLog(Env& env, IniFile& ini, const char* where)
{
    const WriteResult result = ini.save();
    if (!result.ok)
        env.logError(QStringLiteral("Pb dans %1 : %2").arg(QLatin1String(where), result.error));
}

} // namespace

Settings::Settings(Env& env)
    : m_env(env)
{
}

MainWindowState Settings::loadSettings(const DisplayInfo& display)
{
    MainWindowState state;
    state.history = readHistory(m_env.homeFile(QStringLiteral("History.dat")));

    IniFile ini(m_env.iniFileName());
    m_opt.Starting = ini.readBool(kGeneral, u"Starting", false);
    ini.writeBool(kGeneral, u"Starting", true);
    saveOrLog(m_env, ini, "LoadSettings");

    const QRect screen = display.screen;
    const int width = ini.readInteger(kGeneral, u"Width", screen.width() - 20);
    const int height = ini.readInteger(kGeneral, u"Height", screen.height() - 80);
    const int left = ini.readInteger(kGeneral, u"Left", screen.x() + screen.width() / 2 - width / 2);
    const int top = ini.readInteger(kGeneral, u"Top", screen.y() + screen.height() / 2 - height / 2);
    state.geometry = QRect(left, top, width, height);
    state.maximized = ini.readBool(kGeneral, u"Maximized", false);
    state.split = std::max(100, ini.readInteger(kGeneral, u"Split", width / 4));

    const TOptGene defaults;
    for (const Key& key : kHtmlKeys)
        readKey(ini, kHtml, key, m_opt, defaults);
    if (m_opt.DefFontName.isEmpty())
        m_opt.DefFontName = defaultFontName(display);
    for (const Key& key : kGeneralKeys)
        readKey(ini, kGeneral, key, m_opt, defaults);

    if (m_opt.NbMaxDownLoads < 1)
        m_opt.NbMaxDownLoads = m_env.isDebug() ? 0 : 1;
    if (m_opt.TotalDownLoadedSinceBeginning == 0)
        m_opt.DateStartedFromZero = m_env.now();

    for (int i = 1;; ++i) {
        const QString name = ini.readString(kOpenedAgents, QStringLiteral("Agent%1").arg(i));
        if (name.isEmpty())
            break;
        state.openedAgents << name;
    }
    for (int i = 0;; ++i) {
        const QString path = ini.readString(kOpenedWindows, QStringLiteral("ShortCut%1").arg(i));
        if (path.isEmpty())
            break;
        state.openedWindows << OpenedWindow {
            ini.readInteger(kOpenedWindows, QStringLiteral("WindowType%1").arg(i), 4), path};
    }
    state.firstWindowMaximized = ini.readBool(kOpenedWindows, u"Maximized", false);
    return state;
}

void Settings::readOptions()
{
    const IniFile ini(m_env.iniFileName());
    const TOptGene defaults;
    for (const Key& key : kHtmlKeys)
        readKey(ini, kHtml, key, m_opt, defaults);
    for (const Key& key : kGeneralKeys)
        readKey(ini, kGeneral, key, m_opt, defaults);
    if (m_opt.NbMaxDownLoads < 1)
        m_opt.NbMaxDownLoads = 1;
}

void Settings::saveSettings(const MainWindowState& state, const QString& firstArgument)
{
    if (!writeHistory(m_env.homeFile(QStringLiteral("History.dat")), state.history))
        m_env.logError(QStringLiteral("Pb dans l'enregistrement de History.dat"));

    IniFile ini(m_env.iniFileName());
    ini.eraseSection(kOpenedWindows);
    ini.writeBool(kGeneral, u"Maximized", state.maximized);
    if (!state.maximized && !state.minimized) {
        ini.writeInteger(kGeneral, u"Left", state.geometry.x());
        ini.writeInteger(kGeneral, u"Top", state.geometry.y());
        ini.writeInteger(kGeneral, u"Width", state.geometry.width());
        ini.writeInteger(kGeneral, u"Height", state.geometry.height());
    }
    if (state.treePanelVisible || state.split > 0)
        ini.writeInteger(kGeneral, u"Split", state.split);
    for (const Key& key : kHtmlKeys)
        writeKey(ini, kHtml, key, m_opt);
    for (const Key& key : kGeneralKeys) {
        if (key.flags & Saved)
            writeKey(ini, kGeneral, key, m_opt);
    }

    if (!isAgentFileArgument(firstArgument)) {
        ini.eraseSection(kOpenedAgents);
        for (qsizetype i = 0; i < state.openedAgents.size(); ++i)
            ini.writeString(kOpenedAgents, QStringLiteral("Agent%1").arg(i + 1), state.openedAgents[i]);
    }

    // Last window first, so that reopening them in file order restores the stacking.
    const qsizetype count = state.openedWindows.size();
    for (qsizetype i = 0; i < count; ++i) {
        const OpenedWindow& w = state.openedWindows[count - 1 - i];
        ini.writeInteger(kOpenedWindows, QStringLiteral("WindowType%1").arg(i), w.WindowType);
        ini.writeString(kOpenedWindows, QStringLiteral("ShortCut%1").arg(i), w.ShortCut);
    }
    ini.writeBool(kOpenedWindows, u"Maximized", count > 0 && state.firstWindowMaximized);
    saveOrLog(m_env, ini, "SaveSettings");
}

void Settings::endStarting()
{
    m_opt.Starting = false;
    IniFile ini(m_env.iniFileName());
    ini.writeBool(kGeneral, u"Starting", false);
    saveOrLog(m_env, ini, "la fin du démarrage");
}

void Settings::writeDialogKeys()
{
    IniFile ini(m_env.iniFileName());
    for (const Key& key : kGeneralKeys) {
        if (key.flags & Dialog)
            writeKey(ini, kGeneral, key, m_opt);
    }
    saveOrLog(m_env, ini, "l'enregistrement des options générales");
}

void Settings::resetTotalCounter()
{
    m_opt.TotalDownLoadedSinceBeginning = 0;
    m_opt.DateStartedFromZero = m_env.now();
    IniFile ini(m_env.iniFileName());
    ini.writeString(kGeneral, u"TotalDownLoadedSinceBeginning", QStringLiteral("0"));
    ini.writeDateTime(kGeneral, u"DateStartedFromZero", m_opt.DateStartedFromZero);
    saveOrLog(m_env, ini, "la remise à zéro du compteur");
}

void Settings::writeBookMarkFileName(const QString& fileName)
{
    m_opt.BookMarkFileName = fileName;
    IniFile ini(m_env.iniFileName());
    ini.writeString(kGeneral, u"BookMarkFileName", fileName);
    saveOrLog(m_env, ini, "l'enregistrement de BookMarkFileName");
}

bool Settings::showException() const
{
    if (m_showException < 0) {
        const IniFile ini(m_env.iniFileName());
        m_showException = ini.readBool(u"Debug", u"ShowException", false) ? 1 : 0;
    }
    return m_showException == 1;
}

QByteArray Settings::toolbarState() const
{
    const IniFile ini(m_env.iniFileName());
    return QByteArray::fromBase64(ini.readString(kToolbars, u"State").toLatin1());
}

void Settings::saveToolbarState(const QByteArray& state)
{
    IniFile ini(m_env.iniFileName());
    ini.writeString(kToolbars, u"State", QString::fromLatin1(state.toBase64()));
    saveOrLog(m_env, ini, "l'enregistrement des barres d'outils");
}

bool Settings::isAgentFileArgument(const QString& argument)
{
    return argument.toLower().endsWith(QLatin1String(".gnx"));
}

QStringList Settings::readHistory(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList entries;
    const QString text = decodeUtf8OrWindows1252(file.readAll());
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            entries << line.toString();
    }
    return entries;
}

bool Settings::writeHistory(const QString& fileName, const QStringList& entries)
{
    QByteArray data;
    for (const QString& entry : entries) {
        QString line = entry;
        line.replace(u'\r', u' ').replace(u'\n', u' ');
        data += line.toUtf8() + "\r\n";
    }
    return writeFileAtomically(fileName, data).ok;
}

} // namespace glanix
