#pragma once

#include "config/Env.h"
#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinters.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A fresh home folder for one test, with an Env on a fake clock, removed afterwards.
namespace glanix::test {

class TempHome {
public:
    TempHome();

    const QString& path() const { return m_path; } // with a trailing "/"
    QString file(const QString& relative) const { return m_path + relative; }
    Env& env() { return *m_env; }
    FakeClock& clock() { return *m_clock; }

    // Writes a file (folders created), returns its path.
    QString write(const QString& relative, const QByteArray& content) const;
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const;
    void mkdir(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::shared_ptr<FakeClock> m_clock;
    std::unique_ptr<Env> m_env;
};

} // namespace glanix::test
