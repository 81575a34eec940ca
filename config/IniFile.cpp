#include "config/IniFile.h"

#include "config/Numbers.h"
#include "config/TextCodec.h"

#include <QFile>

namespace glanix {

namespace {

// A value can never carry a line break: a URL or title holding "\r\n[X]" must not open a
// section or a key when the file is read back. Percent-encoding keeps addresses meaning
// the same thing.
QString escapeValue(const QString& value)
{
    if (!value.contains(u'\r') && !value.contains(u'\n') && !value.contains(QChar(0)))
        return value;
    QString out = value;
    out.replace(u'\r', QStringLiteral("%0D"));
    out.replace(u'\n', QStringLiteral("%0A"));
    out.replace(QChar(0), QStringLiteral("%00"));
    return out;
}

QString cleanName(QStringView name)
{
    QString out = name.trimmed().toString();
    for (QChar& ch : out) {
        if (ch == u'\r' || ch == u'\n' || ch == QChar(0))
            ch = u' ';
    }
    return out;
}

// A plain line that would read back as a section header (or as an escaped one) gets a
// backslash in front.
QString escapePlainLine(const QString& line)
{
    QString out = line;
    for (QChar& ch : out) {
        if (ch == u'\r' || ch == u'\n' || ch == QChar(0))
            ch = u' ';
    }
    // Blanks before the bracket count too: a header is recognised once trimmed.
    const QStringView lead = QStringView(out).trimmed();
    if (lead.startsWith(u'[') || out.startsWith(u'\\'))
        out.prepend(u'\\');
    return out;
}

QString unescapePlainLine(const QString& line)
{
    return line.startsWith(u'\\') ? line.mid(1) : line;
}

} // namespace

IniFile::IniFile(QString path)
    : IniFile(std::move(path), std::nullopt)
{
}

IniFile::IniFile(QString path, const std::optional<QByteArray>& content)
    : m_path(std::move(path))
{
    QByteArray bytes;
    if (content) {
        bytes = *content;
    } else {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        bytes = file.readAll();
    }
    if (bytes.contains("\r\n"))
        m_newline = QStringLiteral("\r\n");
    parse(decodeUtf8OrWindows1252(bytes));
}

IniFile::~IniFile()
{
    save();
}

void IniFile::parse(const QString& content)
{
    Section* current = nullptr;
    qsizetype start = 0;
    const qsizetype n = content.size();
    while (start <= n) {
        qsizetype end = start;
        while (end < n && content[end] != u'\n' && content[end] != u'\r')
            ++end;
        QString raw = content.mid(start, end - start);
        if (end < n && content[end] == u'\r' && end + 1 < n && content[end + 1] == u'\n')
            ++end;
        const bool last = end >= n;
        start = end + 1;
        if (last && raw.isEmpty())
            break;

        const QStringView trimmed = QStringView(raw).trimmed();
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.size() >= 2) {
            const QString name = trimmed.sliced(1, trimmed.size() - 2).trimmed().toString();
            const QString lowered = name.toLower();
            auto it = m_index.constFind(lowered);
            if (it != m_index.constEnd()) {
                current = &m_sections[*it]; // a repeated header continues the first one
            } else {
                m_index.insert(lowered, m_sections.size());
                m_sections.push_back(Section {name, {}});
                current = &m_sections.back();
            }
            continue;
        }

        Line line;
        const qsizetype eq = raw.indexOf(u'=');
        if (eq > 0 && !trimmed.startsWith(u';') && !raw.startsWith(u'\\')) {
            line.key = QStringView(raw).first(eq).trimmed().toString();
            line.lowered = line.key.toLower();
            line.text = QStringView(raw).sliced(eq + 1).trimmed().toString();
            line.pair = !line.key.isEmpty();
        }
        if (!line.pair) {
            line.key.clear();
            line.lowered.clear();
            line.text = raw;
        }
        line.raw = std::move(raw);
        if (current)
            current->lines.push_back(std::move(line));
        else
            m_preamble.push_back(std::move(line));
    }
    for (Section& s : m_sections) {
        while (!s.lines.empty() && !s.lines.back().pair && s.lines.back().text.trimmed().isEmpty())
            s.lines.pop_back();
    }
}

void IniFile::reindex()
{
    m_index.clear();
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i)
        m_index.insert(m_sections[i].name.toLower(), i);
}

const IniFile::Section* IniFile::find(QStringView section) const
{
    auto it = m_index.constFind(section.trimmed().toString().toLower());
    return it == m_index.constEnd() ? nullptr : &m_sections[*it];
}

IniFile::Section* IniFile::find(QStringView section)
{
    return const_cast<Section*>(std::as_const(*this).find(section));
}

IniFile::Section& IniFile::findOrAdd(QStringView section)
{
    if (Section* s = find(section))
        return *s;
    const QString name = cleanName(section);
    m_index.insert(name.toLower(), m_sections.size());
    m_sections.push_back(Section {name, {}});
    m_modified = true;
    return m_sections.back();
}

const IniFile::Line* IniFile::findKey(const Section& s, QStringView key) const
{
    const QString lowered = key.trimmed().toString().toLower();
    for (const Line& line : s.lines) {
        if (line.pair && line.lowered == lowered)
            return &line;
    }
    return nullptr;
}

bool IniFile::sectionExists(QStringView section) const
{
    return find(section) != nullptr;
}

bool IniFile::valueExists(QStringView section, QStringView key) const
{
    const Section* s = find(section);
    return s && findKey(*s, key);
}

QStringList IniFile::sections() const
{
    QStringList out;
    out.reserve(m_sections.size());
    for (const Section& s : m_sections)
        out << s.name;
    return out;
}

QStringList IniFile::keys(QStringView section) const
{
    QStringList out;
    if (const Section* s = find(section)) {
        for (const Line& line : s->lines) {
            if (line.pair)
                out << line.key;
        }
    }
    return out;
}

QStringList IniFile::sectionLines(QStringView section) const
{
    QStringList out;
    if (const Section* s = find(section)) {
        for (const Line& line : s->lines)
            out << (line.pair ? line.raw : unescapePlainLine(line.raw));
    }
    return out;
}

void IniFile::replaceSection(QStringView section, const QStringList& lines)
{
    Section& s = findOrAdd(section);
    std::vector<Line> fresh;
    fresh.reserve(lines.size());
    for (const QString& text : lines) {
        const QString escaped = escapePlainLine(text);
        fresh.push_back(Line {{}, {}, escaped, escaped, false});
    }
    while (!fresh.empty() && fresh.back().text.trimmed().isEmpty())
        fresh.pop_back();
    const bool same = fresh.size() == s.lines.size()
        && std::equal(fresh.begin(), fresh.end(), s.lines.begin(), [](const Line& a, const Line& b) {
               return a.raw == b.raw;
           });
    if (!same) {
        s.lines = std::move(fresh);
        m_modified = true;
    }
}

void IniFile::eraseSection(QStringView section)
{
    auto it = m_index.constFind(section.trimmed().toString().toLower());
    if (it == m_index.constEnd())
        return;
    m_sections.erase(m_sections.begin() + *it);
    reindex();
    m_modified = true;
}

void IniFile::deleteKey(QStringView section, QStringView key)
{
    Section* s = find(section);
    if (!s)
        return;
    const QString lowered = key.trimmed().toString().toLower();
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
        if (it->pair && it->lowered == lowered) {
            s->lines.erase(it);
            m_modified = true;
            return;
        }
    }
}

QString IniFile::readString(QStringView section, QStringView key, const QString& def) const
{
    const Section* s = find(section);
    const Line* line = s ? findKey(*s, key) : nullptr;
    return line ? line->text : def;
}

int IniFile::readInteger(QStringView section, QStringView key, int def) const
{
    const Section* s = find(section);
    const Line* line = s ? findKey(*s, key) : nullptr;
    if (!line)
        return def;
    return parseInteger(line->text).value_or(def);
}

bool IniFile::readBool(QStringView section, QStringView key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::readReal(QStringView section, QStringView key, double def) const
{
    const Section* s = find(section);
    const Line* line = s ? findKey(*s, key) : nullptr;
    if (!line)
        return def;
    return parseReal(line->text).value_or(def);
}

void IniFile::writeString(QStringView section, QStringView key, const QString& value)
{
    const QString text = escapeValue(value);
    Section& s = findOrAdd(section);
    const QString lowered = key.trimmed().toString().toLower();
    for (Line& line : s.lines) {
        if (line.pair && line.lowered == lowered) {
            if (line.text != text) {
                line.text = text;
                line.raw = line.key + u'=' + text;
                m_modified = true;
            }
            return;
        }
    }
    // After the last non-blank line, so blank lines kept inside the section stay last.
    auto pos = s.lines.end();
    while (pos != s.lines.begin() && !(pos - 1)->pair && (pos - 1)->text.trimmed().isEmpty())
        --pos;
    QString name = cleanName(key);
    name.replace(u'=', u'_');
    s.lines.insert(pos, Line {name, lowered, text, name + u'=' + text, true});
    m_modified = true;
}

void IniFile::writeInteger(QStringView section, QStringView key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(QStringView section, QStringView key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeReal(QStringView section, QStringView key, double value)
{
    writeString(section, key, formatReal(value));
}

QByteArray IniFile::serialize() const
{
    QString out;
    auto put = [&](const Line& line) {
        out += line.raw;
        out += m_newline;
    };
    for (const Line& line : m_preamble)
        put(line);
    bool first = m_preamble.empty() || m_preamble.back().text.trimmed().isEmpty();
    for (const Section& s : m_sections) {
        if (!first)
            out += m_newline;
        first = false;
        out += u'[' + s.name + u']' + m_newline;
        for (const Line& line : s.lines)
            put(line);
    }
    return out.toUtf8();
}

WriteResult IniFile::save()
{
    if (!m_modified)
        return {true, {}};
    WriteResult result = writeFileAtomically(m_path, serialize());
    if (result.ok)
        m_modified = false;
    return result;
}

} // namespace glanix
