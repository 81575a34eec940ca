#pragma once

#include "tests/store/StoreFixture.h"

// The store fixture, with pages by default: the options of addresses and pages are edited here.
namespace glanix::test {

struct ElementFixture : StoreFixture {
    TElement* add(TElement* parent, quint8 kind, const QString& name, const QString& url = {},
                  const QString& contentType = QStringLiteral("text/html"))
    {
        return StoreFixture::add(parent, kind, name, url, contentType);
    }
};

} // namespace glanix::test
