#pragma once

#include "store/ElementStore.h"
#include "store/TElement.h"
#include "store/TreeNode.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <vector>

// A fresh store on a temporary home with one agent "Veille" (home/Veille/Favs/ and DL/), and
// helpers to grow its tree the way the program does.
namespace glanix::test {

// Remembers what the store asked of the window.
struct RecordingHost : StoreHost {
    TreeNode* selected = nullptr;
    std::vector<TElement*> destroyed;
    std::vector<TElement*> viewsClosed;

    TreeNode* selectedNode() const override { return selected; }

    void selectNode(TreeNode* node) override { selected = node; }

    void closeViewsOf(TElement* e) override { viewsClosed.push_back(e); }

    void elementDestroyed(TElement* e) override { destroyed.push_back(e); }
};

struct StoreFixture : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    TElement* agent = nullptr;

    void SetUp() override { agent = makeAgent("Veille"); }

    // An agent NAME with its folders NAME/Favs and NAME/DL in the home, open in the tree.
    TElement* makeAgent(const QString& name)
    {
        home.mkdir(name + "/Favs");
        home.mkdir(name + "/DL");
        auto* a = new TElement(store);
        a->SetHasExt(true);
        a->Kind = kindAgent;
        a->SetParent(store.RootElement());
        a->SetName(name);
        a->SetDirChilds(home.file(name + "/Favs/"));
        a->SetFileName(home.file(name + "/DL/"));
        store.tree().addTopLevel(name, a);
        a->Load();
        return a;
    }

    // A child made as the program makes one (name, address, node), not saved.
    TElement* add(TElement* parent, quint8 kind, const QString& name, const QString& url = {},
                  const QString& contentType = {})
    {
        auto* e = new TElement(store);
        e->SetHasExt(kind != kindImage);
        e->Kind = kind;
        e->SetParent(parent);
        e->SetName(name);
        if (!url.isEmpty())
            e->SetURL(url);
        e->ContentType = contentType;
        if (kind == kindImage) {
            parent->addImage(std::unique_ptr<TElement>(e));
            return e;
        }
        parent->Node()->addSorted(e->GetName(), e);
        return e;
    }

    // Writes a stored copy for the element (as a download would).
    void store_(TElement* e, const QByteArray& content, TDateTime lastModified = 45000)
    {
        home.write(e->GetSavePath(), content);
        e->LastModified = lastModified;
        e->StatusNumber = 200;
    }

    QString dl(const QString& rel = {}) const { return home.file("Veille/DL/" + rel); }

    QString favs(const QString& rel = {}) const { return home.file("Veille/Favs/" + rel); }

    QByteArray log() const { return home.read("Erreurs.log"); }
};

} // namespace glanix::test
