#pragma once

#include "config/DateTime.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

// The answers to image downloads of the current cycle, by address. Pages that share an image
// each own an element for it (the store looks for a local copy only nearby), so a site's
// logo is due under every page; once one of them has fetched it, the others take the same
// answer from here instead of asking the server again. What follows is the same as for a
// download: the answer goes through the decision, the comparison and the storing of each
// element. Owned by the scheduler, emptied when a cycle starts and ends; user-interface
// thread only (a download thread gets its answer in DoStart).
namespace glanix {

struct StoredAnswer {
    int statusCode = 0;
    QString statusText;
    qint64 contentLength = 0;
    TDateTime lastModified = 0;
    TDateTime serverDate = 0;
    QString etag;
    QString contentType;
    QByteArray body;
};

class CycleAnswers {
public:
    static constexpr qint64 kMaxBody = qint64(1) << 20;
    static constexpr qint64 kMaxTotal = qint64(32) << 20;

    std::shared_ptr<const StoredAnswer> find(const QString& url) const { return m_byUrl.value(url); }

    // Kept while the bodies stay under kMaxTotal in all.
    void remember(const QString& url, StoredAnswer answer);

    void clear();

private:
    QHash<QString, std::shared_ptr<const StoredAnswer>> m_byUrl;
    qint64 m_bytes = 0;
};

} // namespace glanix
