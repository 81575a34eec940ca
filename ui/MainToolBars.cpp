#include "ui/MainToolBars.h"

#include "ui/ActivityAnimation.h"
#include "ui/AddressBox.h"
#include "ui/MainActions.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MainToolBars", text);
}

QToolBar* bar(QMainWindow* window, const char* name, const QString& title)
{
    auto* toolBar = new QToolBar(title, window);
    toolBar->setObjectName(QLatin1String(name));
    toolBar->setIconSize(QSize(20, 20));
    window->addToolBar(Qt::TopToolBarArea, toolBar);
    return toolBar;
}

void dropDown(QToolBar* toolBar, QAction* action, QMenu* menu)
{
    auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(action));
    if (!button)
        return;
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
}

} // namespace

MainToolBars buildMainToolBars(QMainWindow* window, const MainActions& a)
{
    MainToolBars t {};
    t.views = bar(window, "ToolBarVues", tr("Vues"));
    t.views->addActions({a.vueDocument, a.vueListe, a.vueInformation});

    t.tree = bar(window, "ToolBarArborescence", tr("Arborescence"));
    t.tree->addActions({a.nouvelAgent, a.ouvrirAgent, a.fermerAgent});
    t.tree->addSeparator();
    t.tree->addActions({a.nouvelleAdresse, a.nouveauDossier, a.supprimer, a.proprietes});

    t.navigation = bar(window, "ToolBarNavigation", tr("Navigation"));
    t.navigation->addActions({a.precedent, a.suivant, a.auDessus, a.enDessous, a.prochainePageNonLue});
    dropDown(t.navigation, a.precedent, a.previousList);
    dropDown(t.navigation, a.suivant, a.nextList);

    t.connection = bar(window, "ToolBarConnexion", tr("Connexion"));
    t.connection->addActions({a.demarrer, a.terminer});
    dropDown(t.connection, a.terminer, a.connectionPopup);
    if (QWidget* start = t.connection->widgetForAction(a.demarrer))
        start->setObjectName(QStringLiteral("TransparentButtonStartConnexion"));
    if (QWidget* end = t.connection->widgetForAction(a.terminer))
        end->setObjectName(QStringLiteral("TransparentButtonEndConnexion"));
    t.animation = new ActivityAnimation(t.connection);
    t.animation->setObjectName(QStringLiteral("Animation"));
    t.connection->addWidget(t.animation);

    window->addToolBarBreak(Qt::TopToolBarArea);
    t.address = bar(window, "ToolBarAdresse", tr("Adresse"));
    t.address->addWidget(new QLabel(tr("Adresse "), t.address));
    t.addressBox = new AddressBox(t.address);
    t.addressBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    t.address->addWidget(t.addressBox);

    for (QToolBar* toolBar : {t.views, t.tree, t.navigation, t.connection, t.address})
        a.toolBarsMenu->addAction(toolBar->toggleViewAction());
    return t;
}

} // namespace glanix
