#pragma once

#include <QList>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;

// Every command of the main window as a QAction, with its French caption and shortcut, and
// the menu bar that holds them. Tool bars and pop-up menus reuse the same actions, so an
// entry is enabled, ticked or renamed in one place. Entries whose feature has not come yet
// are in `pending`: present, and disabled.
namespace glanix {

struct MainActions {
    // &Fichier
    QAction* nouvelAgent;
    QAction* ouvrirAgent;
    QAction* ouvrirTousLesAgents;
    QAction* fermerAgent;
    QAction* fermerTousLesAgents;
    QAction* nouvelleAdresse;
    QAction* nouveauSite;
    QAction* nouveauDossier;
    QAction* sauverSous;
    QAction* exporter;
    QAction* imprimer;
    QAction* listerAdressesIdentiques;
    QAction* effacerImagesInutiles;
    QAction* verifierTousLesElements;
    QAction* reprendreLesTitles;
    QAction* effacerFichiersOrphelins; // debug mode only
    QAction* test; // debug mode only
    QAction* quitter;
    // &Edition
    QAction* renommer;
    QAction* supprimer;
    QAction* activer;
    QAction* marquerLu;
    QAction* marquerNonLu;
    QAction* rafraichir;
    QAction* copier;
    QAction* copierURL;
    QAction* toutSelectionner;
    QAction* chercher;
    QAction* editerNotes;
    QAction* recupererImages;
    QAction* recupererLiens;
    QAction* proprietes;
    QAction* interrompre; // the tree pop-up's "Interrompre" (PopupInterrompre)
    // &Vues
    QAction* vueDocument;
    QAction* vueListe;
    QAction* vueInformation;
    QActionGroup* preferredView;
    QAction* affichageHtml;
    QAction* affichageListe;
    QAction* affichageImage;
    QAction* affichageInformations;
    QAction* nouvelleVueHtml;
    QAction* nouvelleVueListe;
    QAction* nouvelleVueImage;
    QAction* modeComparaison; // ticked: Compare
    QAction* voirImages; // ticked: SeeImages (MenuVoirLesImagesDansArborescence)
    QAction* cacherArborescence;
    QAction* informationsServeur; // the information panel
    QAction* voirSource;
    QAction* versionLocale;
    QAction* versionDistante;
    QAction* precedent;
    QAction* suivant;
    QAction* auDessus;
    QAction* enDessous;
    QAction* prochaineAdresseNonLue;
    QAction* prochaineAdresseJamaisLue;
    QAction* prochainePageNonLue;
    // &Connexion
    QAction* connecter; // MenuConnecter
    QAction* demarrer; // the start button (TransparentButtonStartConnexion), enabled apart
    QAction* terminer; // the end button
    QAction* arreterDeLancer;
    QAction* interrompreTous;
    QAction* raccrocherMaintenant;
    QAction* raccrocherQuandTermine; // ticked: HangUpWhenFinished
    QAction* resterEnVeille; // ticked: KeepReady
    // &Préférences
    QAction* generales;
    QAction* html;
    QAction* annuaire;
    // Fe&nêtres
    QAction* mosaiqueHorizontale;
    QAction* mosaiqueVerticale;
    QAction* cascade;
    QAction* fermerToutesLesFenetres;
    // &?
    QAction* index;
    QAction* aPropos;

    QMenu* fileMenu;
    QMenu* editMenu;
    QMenu* viewMenu;
    QMenu* toolBarsMenu; // filled with the tool bars' toggles
    QMenu* connectionMenu;
    QMenu* preferencesMenu;
    QMenu* windowMenu;
    QMenu* helpMenu;
    // The end button's drop-down (PopupMenuConnexion).
    QMenu* connectionPopup;
    // Back and forward drop-downs ("Liste des précédents", "Liste des suivants").
    QMenu* previousList;
    QMenu* nextList;

    QList<QAction*> pending;
};

// Creates every action as a child of `window` (object names as the commands are called,
// e.g. "MenuOuvrirAgent") and fills its menu bar.
MainActions buildMainActions(QMainWindow* window);

} // namespace glanix
