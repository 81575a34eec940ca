#pragma once

#include "config/AtomicFile.h"
#include "config/DateTime.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The ini-style file every setting and element file of Glanix uses. The whole file is read
// when the object is made and written back, atomically, only when something changed: on
// save() or when the object goes away. Section and key names match without regard to case.
// Lines that are not "key=value" (message and note sections, a browser's comments) stay
// where they are, in order; keys Glanix does not know survive every write.
namespace glanix {

class IniFile {
public:
    explicit IniFile(QString path);
    // Reads `content`, when given, as the file's (a content not written yet).
    IniFile(QString path, const std::optional<QByteArray>& content);
    ~IniFile();

    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const QString& fileName() const { return m_path; }
    bool isModified() const { return m_modified; }

    // Writes the file when it changed. Also called by the destructor, which cannot report.
    WriteResult save();
    // Forgets every change since the last read or save.
    void discardChanges() { m_modified = false; }

    // The file's content as save() would write it.
    QByteArray serialize() const;

    bool sectionExists(QStringView section) const;
    bool valueExists(QStringView section, QStringView key) const;
    QStringList sections() const;
    QStringList keys(QStringView section) const;

    // Plain lines of a section, in order, without trailing blank lines.
    QStringList sectionLines(QStringView section) const;
    // Replaces every line of the section (created at the end when missing).
    void replaceSection(QStringView section, const QStringList& lines);
    void eraseSection(QStringView section);
    void deleteKey(QStringView section, QStringView key);

    QString readString(QStringView section, QStringView key, const QString& def = {}) const;
    int readInteger(QStringView section, QStringView key, int def) const;
    bool readBool(QStringView section, QStringView key, bool def) const;
    double readReal(QStringView section, QStringView key, double def) const;
    TDateTime readDateTime(QStringView section, QStringView key, TDateTime def) const
    {
        return readReal(section, key, def);
    }

    void writeString(QStringView section, QStringView key, const QString& value);
    void writeInteger(QStringView section, QStringView key, int value);
    void writeBool(QStringView section, QStringView key, bool value);
    void writeReal(QStringView section, QStringView key, double value);
    void writeDateTime(QStringView section, QStringView key, TDateTime value) { writeReal(section, key, value); }

private:
    struct Line {
        QString key;     // trimmed as written; empty for a plain line
        QString lowered; // key lowered, for lookups
        QString text;    // value of a pair, or the whole plain line
        QString raw;     // the line as it stands in the file
        bool pair = false;
    };
    struct Section {
        QString name;
        std::vector<Line> lines;
    };

    void parse(const QString& content);
    const Section* find(QStringView section) const;
    Section* find(QStringView section);
    Section& findOrAdd(QStringView section);
    const Line* findKey(const Section& s, QStringView key) const;
    void reindex();

    QString m_path;
    QString m_newline = QStringLiteral("\n");
    std::vector<Line> m_preamble; // lines before the first section
    std::vector<Section> m_sections;
    QHash<QString, qsizetype> m_index; // lowered name -> position in m_sections
    bool m_modified = false;
};

} // namespace glanix
