#pragma once

#include <QHash>
#include <QIcon>

// The pictures of the tree: one icon per icon number of an element (agents, folders,
// addresses by state, and from 14 on one per content type met, taken from the desktop's icon
// theme with a drawn fallback), with the three state marks (unread, error, inactive) drawn
// over them. Icons are drawn once and kept.
namespace glanix {

class KnownTypes;

class ElementIcons {
public:
    explicit ElementIcons(const KnownTypes& types);

    QIcon icon(int imageIndex, int stateMark) const;
    // The bare picture of an icon number and the mark alone (for legends and tests).
    QPixmap picture(int imageIndex, int size) const;
    static QPixmap mark(int stateMark, int size);

private:
    QIcon base(int imageIndex) const;

    const KnownTypes& m_types;
    mutable QHash<qint64, QIcon> m_cache;
};

} // namespace glanix
