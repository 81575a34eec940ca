#pragma once

#include "agents/PropertiesEditor.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QIcon;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;

// "Propriétés" of an element, or "Propriétés groupées" of several: name, activity, address,
// versions kept, refresh policy, depth, link prefix and file types. The values and what
// saving does come from PropertiesEditor; this window shows them and follows the user's
// edits live. The tab last shown is remembered in Opt for the next opening.
namespace glanix {

class MaskTypesBox;
class NumberEdit;
class RefreshChoice;
struct TOptGene;

class TFormOptionsURL final : public QDialog {
    Q_OBJECT

public:
    enum Tab { TabParams = 1, TabRefresh = 2, TabDepth = 3 };

    TFormOptionsURL(std::vector<TElement*> elements, TOptGene& opt, PropertiesFollowUp* followUp = nullptr,
                    QWidget* parent = nullptr);

    // The element's tree icon, shown beside its name (single element only).
    void setElementIcon(const QIcon& icon);

    const PropertiesEditor& editor() const { return m_editor; }

    QTabWidget* tabs() const { return m_tabs; }

    Tab currentTab() const;
    // What the controls hold now, as saving would take it.
    ElementOptions chosenOptions();

public slots:
    void accept() override;
    void done(int result) override;

signals:
    void helpRequested(const QString& topic);

private:
    QWidget* buildParamsTab();
    QWidget* buildRefreshTab();
    QWidget* buildDepthTab();
    void load();
    void showTab(Tab tab);
    void urlLeft();
    void linksStartChosen(LinksStartChoice choice);
    void linksStartEdited();
    void updateNextCheck();
    QString helpTopic() const;

    PropertiesEditor m_editor;
    TOptGene& m_opt;
    PropertiesFollowUp* m_followUp;
    bool m_depthTab;

    QLabel* m_icon;
    QLineEdit* m_name;
    QCheckBox* m_active;
    QTabWidget* m_tabs;
    QWidget* m_paramsPage;
    QWidget* m_refreshPage;
    QWidget* m_depthPage;
    // Paramètres
    QLineEdit* m_url;
    QLineEdit* m_user;
    QLineEdit* m_password;
    NumberEdit* m_versions;
    QCheckBox* m_images;
    QRadioButton* m_whole;
    QRadioButton* m_infoOnly;
    // Rafraîchissement
    RefreshChoice* m_refresh;
    // Profondeur
    NumberEdit* m_depth;
    QLineEdit* m_linksStart;
    QRadioButton* m_sameServer;
    QRadioButton* m_sameDirectory;
    MaskTypesBox* m_masks;
};

} // namespace glanix
