#include "tests/support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace glanix::test {

TempHome::TempHome()
    : m_path(m_dir.path() + u'/')
    , m_clock(std::make_shared<FakeClock>())
    , m_env(std::make_unique<Env>(m_path, m_clock))
{
}

QString TempHome::write(const QString& relative, const QByteArray& content) const
{
    const QString path = QDir::isAbsolutePath(relative) ? relative : m_path + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

QByteArray TempHome::read(const QString& relative) const
{
    QFile f(QDir::isAbsolutePath(relative) ? relative : m_path + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TempHome::exists(const QString& relative) const
{
    return QFileInfo::exists(QDir::isAbsolutePath(relative) ? relative : m_path + relative);
}

void TempHome::mkdir(const QString& relative) const
{
    QDir().mkpath(QDir::isAbsolutePath(relative) ? relative : m_path + relative);
}

} // namespace glanix::test
