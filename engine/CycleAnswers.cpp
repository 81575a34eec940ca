#include "engine/CycleAnswers.h"

namespace glanix {

void CycleAnswers::remember(const QString& url, StoredAnswer answer)
{
    const qint64 size = answer.body.size();
    if (size > kMaxBody || m_bytes + size > kMaxTotal)
        return;
    if (const auto old = m_byUrl.value(url))
        m_bytes -= old->body.size();
    m_bytes += size;
    m_byUrl.insert(url, std::make_shared<const StoredAnswer>(std::move(answer)));
}

void CycleAnswers::clear()
{
    m_byUrl.clear();
    m_bytes = 0;
}

} // namespace glanix
