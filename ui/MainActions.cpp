#include "ui/MainActions.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>

namespace glanix {

namespace {

class Builder {
public:
    explicit Builder(QMainWindow* window)
        : m_window(window)
    {
    }

    QAction* make(QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {})
    {
        auto* a = new QAction(text, m_window);
        a->setObjectName(QLatin1String(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        if (menu)
            menu->addAction(a);
        // The main window sees every key first: its shortcuts work whichever child has the focus.
        m_window->addAction(a);
        return a;
    }

    QAction* pending(QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {})
    {
        QAction* a = make(menu, name, text, key);
        a->setEnabled(false);
        m_pending << a;
        return a;
    }

    QAction* check(QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {})
    {
        QAction* a = make(menu, name, text, key);
        a->setCheckable(true);
        return a;
    }

    QIcon icon(const char* theme, QStyle::StandardPixmap fallback) const
    {
        return QIcon::fromTheme(QLatin1String(theme), m_window->style()->standardIcon(fallback));
    }

    QList<QAction*> takePending() { return std::move(m_pending); }

private:
    QMainWindow* m_window;
    QList<QAction*> m_pending;
};

QString tr(const char* text, const char* comment = nullptr)
{
    return QCoreApplication::translate("MainActions", text, comment);
}

} // namespace

MainActions buildMainActions(QMainWindow* window)
{
    MainActions a {};
    Builder b(window);
    QMenuBar* bar = window->menuBar();

    // --- Fichier -------------------------------------------------------------------------------
    QMenu* file = a.fileMenu = bar->addMenu(tr("&Fichier"));
    file->setObjectName(QStringLiteral("MenuFichier"));
    a.nouvelAgent = b.make(file, "MenuNouvelAgent", tr("&Nouvel agent"));
    a.nouvelAgent->setIcon(b.icon("document-new", QStyle::SP_FileDialogNewFolder));
    a.ouvrirAgent = b.make(file, "MenuOuvrirAgent", tr("&Ouvrir agent..."), Qt::CTRL | Qt::Key_O);
    a.ouvrirAgent->setIcon(b.icon("document-open", QStyle::SP_DialogOpenButton));
    a.ouvrirTousLesAgents = b.make(file, "MenuOuvrirTousLesAgents", tr("Ouvrir tous &les agents"));
    a.fermerAgent = b.make(file, "MenuFermerAgent", tr("Fermer &agent"), Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    a.fermerAgent->setIcon(b.icon("document-close", QStyle::SP_DialogCloseButton));
    a.fermerTousLesAgents = b.make(file, "MenuFermerTousLesAgents", tr("Fermer &tous les agents"));
    file->addSeparator();
    a.nouvelleAdresse = b.pending(file, "MenuNouvelleAdresse", tr("Nouvelle a&dresse"), Qt::Key_Insert);
    a.nouvelleAdresse->setIcon(b.icon("bookmark-new", QStyle::SP_FileLinkIcon));
    a.nouveauSite = b.pending(file, "MenuNouveauSite", tr("Nouveau site"));
    a.nouveauDossier = b.pending(file, "MenuNouveauDossier", tr("Nouveau dossier"));
    a.nouveauDossier->setIcon(b.icon("folder-new", QStyle::SP_FileDialogNewFolder));
    file->addSeparator();
    a.sauverSous = b.pending(file, "MenuSauverSous", tr("&Sauver sous..."), Qt::CTRL | Qt::Key_S);
    a.exporter = b.make(file, "MenuExporter", tr("&Exporter..."), Qt::CTRL | Qt::Key_E);
    a.imprimer = b.pending(file, "MenuImprimer", tr("&Imprimer..."), Qt::CTRL | Qt::Key_P);
    file->addSeparator();
    QMenu* upkeep = file->addMenu(tr("&Maintenance"));
    a.listerAdressesIdentiques
        = b.pending(upkeep, "MenuListerAdressesIdentiques", tr("Lister les adresses identiques"));
    a.effacerImagesInutiles
        = b.pending(upkeep, "MenuEffacerImagesInutiles", tr("Effacer les images inutiles..."));
    a.verifierTousLesElements
        = b.pending(upkeep, "MenuVerifierTousLesElements", tr("Vérifier tous les éléments"));
    a.reprendreLesTitles
        = b.pending(upkeep, "MenuReprendreLesTitles", tr("Reprendre les titles (provisoire)"));
    a.effacerFichiersOrphelins
        = b.pending(upkeep, "MenuEffacerFichiersOrphelins", tr("Effacer les fichiers orphelins..."));
    a.test = b.pending(upkeep, "MenuTest", tr("Test"));
    file->addSeparator();
    a.quitter = b.make(file, "MenuQuitter", tr("&Quitter"), Qt::CTRL | Qt::Key_Q);
    a.quitter->setMenuRole(QAction::QuitRole);

    // --- Edition -------------------------------------------------------------------------------
    QMenu* edit = a.editMenu = bar->addMenu(tr("&Edition"));
    edit->setObjectName(QStringLiteral("MenuEdition"));
    a.renommer = b.pending(edit, "MenuRenommer", tr("&Renommer"), Qt::Key_F2);
    a.supprimer = b.pending(edit, "MenuSupprimer", tr("&Supprimer"), Qt::Key_Delete);
    a.supprimer->setIcon(b.icon("edit-delete", QStyle::SP_TrashIcon));
    edit->addSeparator();
    a.activer = b.pending(edit, "MenuActiver", tr("&Activer"), Qt::CTRL | Qt::Key_Space);
    QMenu* mark = edit->addMenu(tr("&Marquer comme"));
    a.marquerLu = b.pending(mark, "MenuMarquerLu", tr("&Lu"), Qt::CTRL | Qt::SHIFT | Qt::Key_R);
    a.marquerNonLu = b.pending(mark, "MenuMarquerNonLu", tr("&Non lu"), Qt::CTRL | Qt::Key_R);
    a.rafraichir = b.pending(edit, "MenuRafraichir", tr("Ra&fraîchir"), Qt::SHIFT | Qt::Key_F5);
    edit->addSeparator();
    a.copier = b.pending(edit, "MenuCopier", tr("Copier"), Qt::CTRL | Qt::Key_C);
    a.copierURL
        = b.pending(edit, "MenuCopierURL", tr("Copier l'&URL dans le presse-papiers"), Qt::CTRL | Qt::Key_B);
    a.toutSelectionner
        = b.pending(edit, "MenuToutSelectionner", tr("&Tout sélectionner"), Qt::CTRL | Qt::Key_A);
    a.chercher = b.pending(edit, "MenuChercher", tr("C&hercher..."), Qt::Key_F3);
    a.chercher->setIcon(b.icon("edit-find", QStyle::SP_FileDialogContentsView));
    edit->addSeparator();
    a.editerNotes = b.pending(edit, "MenuEditerNotes", tr("Editer les &notes"), Qt::CTRL | Qt::Key_N);
    a.recupererImages = b.pending(edit, "MenuRecupererImages", tr("Récupérer les &images de la page"),
                                  Qt::CTRL | Qt::Key_L);
    a.recupererLiens = b.pending(edit, "MenuRecupererLiens", tr("Récupérer tous les &liens de la page"));
    edit->addSeparator();
    a.proprietes = b.make(edit, "MenuProprietes", tr("&Propriétés"), Qt::ALT | Qt::Key_Return);
    a.proprietes->setIcon(b.icon("document-properties", QStyle::SP_FileDialogInfoView));
    a.interrompre = b.make(nullptr, "PopupInterrompre", tr("Interrompre"));
    a.interrompre->setIcon(b.icon("process-stop", QStyle::SP_BrowserStop));

    // --- Vues ----------------------------------------------------------------------------------
    QMenu* view = a.viewMenu = bar->addMenu(tr("&Vues"));
    view->setObjectName(QStringLiteral("MenuVues"));
    a.preferredView = new QActionGroup(window);
    a.vueDocument = b.pending(view, "MenuVueDocument", tr("Vue &document"), Qt::Key_F6);
    a.vueListe = b.pending(view, "MenuVueListe", tr("Vue &liste"), Qt::Key_F7);
    a.vueInformation = b.pending(view, "MenuVueInformation", tr("Vue &information"), Qt::Key_F8);
    a.vueDocument->setToolTip(tr("Vue document (F6)"));
    a.vueListe->setToolTip(tr("Vue liste (F7)"));
    a.vueInformation->setToolTip(tr("Vue informations (F8)"));
    a.vueDocument->setIcon(b.icon("text-html", QStyle::SP_FileIcon));
    a.vueListe->setIcon(b.icon("view-list-details", QStyle::SP_FileDialogDetailedView));
    a.vueInformation->setIcon(b.icon("dialog-information", QStyle::SP_MessageBoxInformation));
    for (QAction* v : {a.vueDocument, a.vueListe, a.vueInformation}) {
        v->setCheckable(true);
        a.preferredView->addAction(v);
    }
    a.vueDocument->setChecked(true);
    QMenu* showIn = view->addMenu(tr("Affichage"));
    a.affichageHtml = b.pending(showIn, "MenuAffichageHtml", tr("Html"));
    a.affichageListe = b.pending(showIn, "MenuAffichageListe", tr("Liste contenu"));
    a.affichageImage = b.pending(showIn, "MenuAffichageImage", tr("Image"));
    a.affichageInformations = b.pending(showIn, "MenuAffichageInformations", tr("Informations"));
    QMenu* newView = view->addMenu(tr("Nouvelle vue"));
    a.nouvelleVueHtml = b.pending(newView, "MenuNouvelleVueHtml", tr("Html"));
    a.nouvelleVueListe = b.pending(newView, "MenuNouvelleVueListe", tr("Liste contenu"));
    a.nouvelleVueImage = b.pending(newView, "MenuNouvelleVueImage", tr("Image"));
    view->addSeparator();
    a.modeComparaison = b.check(view, "MenuModeComparaison", tr("Mode &comparaison"), Qt::Key_F10);
    a.voirImages = b.check(view, "MenuVoirLesImagesDansArborescence",
                           tr("Voir les &images dans l'arborescence"), Qt::CTRL | Qt::Key_I);
    a.cacherArborescence
        = b.check(view, "MenuCacherArborescence", tr("Cacher l'&arborescence"), Qt::CTRL | Qt::Key_H);
    a.informationsServeur = b.check(view, "MenuInformationsServeur", tr("Informations &serveur"));
    a.toolBarsMenu = view->addMenu(tr("&Barres d'outils"));
    view->addSeparator();
    a.voirSource = b.pending(view, "MenuVoirSource", tr("Voir &source"), Qt::CTRL | Qt::Key_U);
    QMenu* external = view->addMenu(tr("&Ouvrir dans navigateur externe"));
    a.versionLocale = b.pending(external, "MenuVersionLocale", tr("Version &locale"), Qt::Key_F12);
    a.versionDistante = b.pending(external, "MenuVersionDistante", tr("Version &distante"));
    view->addSeparator();
    QMenu* go = view->addMenu(tr("&Navigation"));
    a.precedent = b.pending(go, "MenuPrecedent", tr("Précédent"), Qt::ALT | Qt::Key_Left);
    a.suivant = b.pending(go, "MenuSuivant", tr("Suivant"), Qt::ALT | Qt::Key_Right);
    a.auDessus = b.pending(go, "MenuAuDessus", tr("Celui d'au-dessus."), Qt::CTRL | Qt::Key_Up);
    a.enDessous = b.pending(go, "MenuEnDessous", tr("Celui d'en-dessous"), Qt::CTRL | Qt::Key_Down);
    go->addSeparator();
    a.prochaineAdresseNonLue
        = b.pending(go, "MenuProchaineAdresseNonLue", tr("&Prochaine adresse non lue"), Qt::CTRL | Qt::Key_W);
    a.prochaineAdresseJamaisLue = b.pending(go, "MenuProchaineAdresseJamaisLue",
                                            tr("Prochaine adresse &jamais lue"), Qt::CTRL | Qt::Key_X);
    a.prochainePageNonLue = b.pending(nullptr, "ButtonProchainePageNonLue", tr("Prochaine page non lue"),
                                      Qt::CTRL | Qt::Key_Return);
    a.precedent->setIcon(b.icon("go-previous", QStyle::SP_ArrowBack));
    a.suivant->setIcon(b.icon("go-next", QStyle::SP_ArrowForward));
    a.auDessus->setIcon(b.icon("go-up", QStyle::SP_ArrowUp));
    a.enDessous->setIcon(b.icon("go-down", QStyle::SP_ArrowDown));
    a.prochainePageNonLue->setIcon(b.icon("go-jump", QStyle::SP_MediaSeekForward));
    a.previousList = new QMenu(tr("Liste des précédents"), window);
    a.nextList = new QMenu(tr("Liste des suivants"), window);

    // --- Connexion -----------------------------------------------------------------------------
    QMenu* connection = a.connectionMenu = bar->addMenu(tr("&Connexion"));
    connection->setObjectName(QStringLiteral("MenuConnexion"));
    a.connecter = b.make(connection, "MenuConnecter", tr("C&onnecter"), Qt::Key_F9);
    a.connecter->setIcon(b.icon("media-playback-start", QStyle::SP_MediaPlay));
    a.demarrer = b.make(nullptr, "TransparentButtonStartConnexion", tr("Connecter"));
    a.demarrer->setIcon(a.connecter->icon());
    a.terminer = b.make(nullptr, "TransparentButtonEndConnexion", tr("Terminer"));
    a.terminer->setIcon(b.icon("media-playback-stop", QStyle::SP_MediaStop));
    a.arreterDeLancer = b.make(connection, "MenuConnexionArreterDeLancerDesNouveauxTelechargements",
                               tr("&Arrêter de lancer de nouveaux téléchargements"));
    a.interrompreTous = b.make(connection, "MenuConnexionInterrompreTousLesTelechargementsEnCours",
                               tr("Interrompre tous les téléchargements en cours"));
    connection->addSeparator();
    a.raccrocherMaintenant
        = b.make(connection, "MenuConnexionRaccrocherMaintenant", tr("Raccrocher maintenant"));
    a.raccrocherQuandTermine = b.check(connection, "MenuConnexionRaccrocherQuandTermine",
                                       tr("&Raccrocher lorsque Glanix a terminé"));
    a.resterEnVeille = b.check(connection, "MenuConnexionResterEnVeille",
                               tr("Rester en &veille lorsque Glanix a terminé"));
    a.connectionPopup = new QMenu(window);
    a.connectionPopup->setObjectName(QStringLiteral("PopupMenuConnexion"));
    a.connectionPopup->addActions({a.connecter, a.arreterDeLancer, a.interrompreTous});
    a.connectionPopup->addSeparator();
    a.connectionPopup->addActions({a.raccrocherMaintenant, a.raccrocherQuandTermine, a.resterEnVeille});

    // --- Préférences ---------------------------------------------------------------------------
    QMenu* prefs = a.preferencesMenu = bar->addMenu(tr("&Préférences"));
    prefs->setObjectName(QStringLiteral("MenuPreferences"));
    a.generales = b.make(prefs, "MenuOptionsGenerales", tr("&Générales"));
    a.generales->setMenuRole(QAction::PreferencesRole);
    a.html = b.make(prefs, "MenuOptionsHtml", tr("&Html"));
    a.annuaire = b.make(prefs, "MenuPreferencesConnexion", tr("&Annuaire"));

    // --- Fenêtres ------------------------------------------------------------------------------
    QMenu* windows = a.windowMenu = bar->addMenu(tr("Fe&nêtres"));
    windows->setObjectName(QStringLiteral("MenuFenetres"));
    a.mosaiqueHorizontale
        = b.make(windows, "MenuMosaiqueHorizontale", tr("Mosaïque &horizontale"), Qt::CTRL | Qt::Key_G);
    a.mosaiqueVerticale = b.make(windows, "MenuMosaiqueVerticale", tr("Mosaïque &verticale"));
    a.cascade = b.make(windows, "MenuCascade", tr("&Cascade"));
    windows->addSeparator();
    a.fermerToutesLesFenetres
        = b.make(windows, "MenuFermerToutesLesFenetres", tr("&Fermer toutes les fenêtres"));

    // --- ? -------------------------------------------------------------------------------------
    QMenu* help = a.helpMenu = bar->addMenu(tr("&?"));
    help->setObjectName(QStringLiteral("MenuAide"));
    a.index = b.pending(help, "MenuIndex", tr("&Index"), Qt::Key_F1);
    help->addSeparator();
    a.aPropos = b.make(help, "MenuAPropos", tr("À &propos de Glanix"));
    a.aPropos->setMenuRole(QAction::AboutRole);

    a.pending = b.takePending();
    return a;
}

} // namespace glanix
