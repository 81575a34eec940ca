#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Content types and file extensions. The fixed table comes first, then the types already met
// while choosing tree icons (the process-wide list kept by the element store), then the
// shared MIME database.
namespace glanix {

// The content types met by the icon lookup, in order of first appearance, with the extension
// recorded for each. A type's place in this list gives its tree icon.
class KnownTypes {
public:
    struct Entry {
        QString type;
        QString extension;
    };

    // Place of the type (compared without case), -1 when not met yet.
    int indexOf(const QString& type) const;
    // Records the type when new; returns its place.
    int add(const QString& type, const QString& extension);

    const Entry& at(int i) const { return m_entries[static_cast<size_t>(i)]; }

    int size() const { return static_cast<int>(m_entries.size()); }

    QString extensionFor(const QString& type) const;
    QString typeFor(const QString& extension) const;

private:
    std::vector<Entry> m_entries;
};

// File extension, with its dot, for content of `type` stored under `name`.
QString ExtensionForType(const QString& type, const QString& name, const KnownTypes* known = nullptr);

// Content type of a file extension (with or without its dot); empty when unknown.
QString TypeForExtension(const QString& extension, const KnownTypes* known = nullptr);

// Every extension the MIME database knows for the type, with their dots, lowered.
QStringList extensionsOfType(const QString& type);

// Icon name of the type in the freedesktop icon theme, and its generic fallback.
QString iconNameForType(const QString& type);
QString genericIconNameForType(const QString& type);

} // namespace glanix
