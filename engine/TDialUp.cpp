#include "engine/TDialUp.h"

namespace glanix {

namespace {

struct StateText {
    int state;
    const char* french;
    const char* english;
};

constexpr StateText kStates[] = {
    {rsOpenPort, "Ouverture du port", "Opening port"},
    {rsPortOpened, "Port ouvert", "Port opened"},
    {rsConnectDevice, "Connexion du périphérique", "Connecting device"},
    {rsDeviceConnected, "Périphérique connecté", "Device connected"},
    {rsAllDevicesConnected, "Tous les périphériques connectés", "All devices connected"},
    {rsAuthenticate, "Début d'authentification", "Start authenticating"},
    {rsAuthNotify, "Authentification: notifie", "Authentication: notify"},
    {rsAuthRetry, "Authentification: ré-essaye", "Authentication: retry"},
    {rsAuthCallback, "Authentification: rappel", "Authentication: callback"},
    {rsAuthChangePassword, "Authentification: change mot de passe", "Authentication: change password"},
    {rsAuthProject, "Authentification: négociation", "Authentication: projecting"},
    {rsAuthLinkSpeed, "Authentification: link speed", "Authentication: link speed"},
    {rsAuthAck, "Authentification: accusé", "Authentication: acknowledge"},
    {rsReAuthenticate, "Authentification: re-authentifie", "Authentication: reauthenticate"},
    {rsAuthenticated, "Authentifié", "Authenticated"},
    {rsPrepareForCallback, "Préparation pour rappel", "Preparing for callback"},
    {rsWaitForModemReset, "Attend reset du modem", "Waiting for modem reset"},
    {rsWaitForCallback, "Attend rappel", "Waiting for callback"},
    {rsProjected, "Négocation ok", "Projected"},
    {rsStartAuthentication, "Authentification", "Start authentication"},
    {rsCallbackComplete, "Rappel ok", "Callback complete"},
    {rsLogonNetwork, "Connexion au réseau", "Logging on network"},
    {rsInteractive, "Interactif", "Interactive"},
    {rsRetryAuthentication, "Authentification: retente", "Retry Authentication"},
    {rsCallbackSetByCaller, "Rappel indiqué par appellant", "Callback set by caller"},
    {rsPasswordExpired, "Mot de passe périmé", "Password expired"},
    {rsConnected, "Connecté", "Connected"},
    {rsDisconnected, "Déconnecté", "Disconnected"},
};

constexpr StateText kErrors[] = {
    {deEntryNotFound, "La connexion choisie n'existe pas dans l'annuaire.",
     "The chosen connection is not in the phone book."},
    {dePortUnavailable, "Le modem est déjà utilisé ou n'est pas configuré.",
     "The modem is already in use or is not configured."},
    {deDeviceError, "Le modem a signalé une erreur.", "The modem reported an error."},
    {deLineBusy, "La ligne est occupée.", "The line is busy."},
    {deNoAnswer, "Pas de réponse.", "There was no answer."},
    {deNoCarrier, "Pas de porteuse.", "No carrier detected."},
    {deNoDialTone, "Pas de tonalité.", "There is no dial tone."},
    {deAccessDenied, "Accès refusé : nom d'utilisateur ou mot de passe incorrect.",
     "Access denied: the user name or password is not valid."},
    {deServiceUnavailable, "Le service de connexion (NetworkManager) est introuvable ou ne répond pas.",
     "The connection service (NetworkManager) cannot be found or does not answer."},
    {deNegotiationFailed, "La négociation avec le serveur distant a échoué.",
     "Negotiation with the remote server failed."},
    {deLinkTerminated, "La liaison a été interrompue.", "The link was terminated."},
    {deDisconnected, "La connexion a été fermée.", "The connection was closed."},
    {deUserDisconnected, "La connexion a été coupée par l'utilisateur.",
     "The connection was closed by the user."},
    {deNotPermitted, "Le système n'autorise pas Glanix à établir cette connexion.",
     "The system does not allow Glanix to make this connection."},
};

} // namespace

TDialUp::TDialUp(DialUpBackend& backend)
    : m_backend(backend)
{
}

TDialUp::~TDialUp()
{
    m_backend.forget(this);
}

QString TDialUp::stateText(int state, TLanguage language)
{
    for (const StateText& s : kStates) {
        if (s.state == state)
            return QString::fromUtf8(language == French ? s.french : s.english);
    }
    return {};
}

QString TDialUp::errorText(int error, TLanguage language)
{
    for (const StateText& e : kErrors) {
        if (e.state == error)
            return QString::fromUtf8(language == French ? e.french : e.english);
    }
    return language == French ? QStringLiteral("Erreur de connexion %1").arg(error)
                              : QStringLiteral("Connection error %1").arg(error);
}

void TDialUp::reportError(int error)
{
    if (OnError)
        OnError(*this, error, errorText(error));
}

bool TDialUp::GetEntries()
{
    QList<DialUpEntry> entries;
    Entries.clear();
    if (const int error = m_backend.listEntries(entries)) {
        reportError(error);
        return false;
    }
    for (const DialUpEntry& e : std::as_const(entries)) {
        Entries << e.name;
        if (OnEntryGet)
            OnEntryGet(*this, e.name);
    }
    return true;
}

bool TDialUp::Dial()
{
    if (m_dialling)
        m_backend.hangUpDial(this);
    m_dialling = false;
    if (const int error = m_backend.startDial(Entry, this)) {
        reportError(error);
        return false;
    }
    m_dialling = true;
    m_dialled = true;
    if (OnDialing)
        OnDialing(*this);
    return true;
}

void TDialUp::dialProgress(int state, int error)
{
    if (!m_dialling)
        return;
    const bool failed = error >= 600 || state == rsDisconnected;
    const bool done = failed || state == rsConnected;
    if (done)
        m_dialling = false;
    if (OnAsyncEvent && (DialMode == dmAsync || done))
        OnAsyncEvent(*this, state, error, error ? errorText(error) : stateText(state));
    if (state == rsConnected && !failed) {
        if (OnConnect)
            OnConnect(*this);
    } else if (failed && OnNotConnected) {
        const int code = error ? error : deDisconnected;
        OnNotConnected(*this, code, errorText(code));
    }
}

bool TDialUp::GetActiveConnections()
{
    QList<ActiveLink> links;
    if (const int error = m_backend.listActive(links)) {
        reportError(error);
        return false;
    }
    for (const ActiveLink& link : std::as_const(links)) {
        if (OnActiveConnection)
            OnActiveConnection(*this, link.handle, link.state, stateText(link.state), link.entry,
                               link.deviceType, link.deviceName);
    }
    return true;
}

void TDialUp::HangUp()
{
    const bool had = m_dialling || m_dialled;
    m_dialling = false;
    m_dialled = false;
    if (!had)
        return;
    if (const int error = m_backend.hangUpDial(this))
        reportError(error);
}

void TDialUp::HangUpConnection(const QString& handle)
{
    if (const int error = m_backend.hangUp(handle))
        reportError(error);
}

} // namespace glanix
