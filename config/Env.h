#pragma once

#include "config/DateTime.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The process-wide services every layer needs: the home folder (what the original program
// called its program folder), the debug switch, the error log and the clock. One Env exists
// per running program; tests build a fresh one on a temporary home.
namespace glanix {

class Env {
public:
    // `home` must exist; it is kept with a trailing "/". Without a clock the system's is used.
    explicit Env(const QString& home, std::shared_ptr<Clock> clock = {});

    const QString& home() const { return m_home; }
    QString homeFile(const QString& name) const { return m_home + name; }
    QString iniFileName() const { return homeFile(QStringLiteral("Glanix.ini")); }

    Clock& clock() const { return *m_clock; }
    TDateTime now() const { return m_clock->nowDays(); }

    // Debug mode: Debug/Debug = "7351" in Glanix.ini, read once.
    bool isDebug() const;
    void setDebug(bool on) { m_debug = on ? 1 : 0; }

    // The single entry point for a caught failure. Sets the error-logged flag; in debug mode
    // also appends "date time message" to Erreurs.log and tells the listeners (the main
    // window shows it in its caption).
    void logError(const QString& message);
    bool errorLogged() const { return m_errorLogged; }
    void clearErrorLogged() { m_errorLogged = false; }
    using ErrorListener = std::function<void(const QString&)>;
    void addErrorListener(ErrorListener listener) { m_listeners.push_back(std::move(listener)); }

    // Appends the text and a line break to the file (relative names are in the home; an
    // empty name is Erreurs.log), creating it when missing.
    bool appendLine(const QString& fileName, const QString& text) const;

private:
    QString m_home;
    std::shared_ptr<Clock> m_clock;
    mutable int m_debug = -1;
    bool m_errorLogged = false;
    std::vector<ErrorListener> m_listeners;
};

} // namespace glanix
