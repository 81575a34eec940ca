#pragma once

#include "store/ElementStore.h"
#include "store/TElement.h"
#include "store/TreeNode.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

// A store on a temporary home with one agent "Veille" (its folders Veille/Favs and Veille/DL
// in the home), and a way to add folders, addresses and pages under it.
namespace glanix::test {

struct ElementFixture : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    TElement* agent = nullptr;

    void SetUp() override
    {
        home.mkdir("Veille/Favs");
        home.mkdir("Veille/DL");
        agent = new TElement(store);
        agent->SetHasExt(true);
        agent->Kind = kindAgent;
        agent->SetParent(store.RootElement());
        agent->SetName("Veille");
        agent->SetDirChilds(home.file("Veille/Favs/"));
        agent->SetFileName(home.file("Veille/DL/"));
        store.tree().addTopLevel("Veille", agent);
        agent->Load();
    }

    TElement* add(TElement* parent, quint8 kind, const QString& name, const QString& url = {},
                  const QString& contentType = QStringLiteral("text/html"))
    {
        auto* e = new TElement(store);
        e->SetHasExt(kind != kindImage);
        e->Kind = kind;
        e->SetParent(parent);
        e->SetName(name);
        if (!url.isEmpty())
            e->SetURL(url);
        e->ContentType = contentType;
        parent->Node()->addChild(e->GetName(), e);
        return e;
    }
};

} // namespace glanix::test
