#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

// "Options générales": edits the settings of Opt that the user may change. OK copies the
// controls into Opt and writes them to Glanix.ini at once; "Annuler" changes nothing, except
// that choosing connection by modem takes effect as soon as it is chosen (the dial-up link is
// made then) and is undone by "Annuler". The main window opens it modally and connects the
// two hooks: help, and making the dial-up link.
namespace glanix {

class ColorPanel;
class NumberEdit;
class RemoteAccessProbe;
class Settings;
class UserPrompt;

class TFormOptionsGenerales final : public QDialog {
    Q_OBJECT

public:
    TFormOptionsGenerales(Settings& settings, UserPrompt& prompt, RemoteAccessProbe& remoteAccess,
                          QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }

public slots:
    void accept() override;
    void reject() override;

signals:
    void helpRequested(const QString& topic);
    // Connection by modem was chosen and is usable: the dial-up link is to be made now.
    void modemModeChosen();

private:
    QWidget* buildConnectionTab();
    QWidget* buildDownloadTab();
    QWidget* buildCompareTab();
    QWidget* buildMiscTab();
    QWidget* buildProfileTab();
    QWidget* programField(QLineEdit* field, bool folder);

    void loadFromOpt();
    void storeToOpt();
    void chooseModem();
    void updateModemFields();
    void updateBandwidthLabel();
    void showCounter(double bytes);

    Settings& m_settings;
    UserPrompt& m_prompt;
    RemoteAccessProbe& m_remoteAccess;
    bool m_modemAtOpen;
    bool m_counterReset = false;

    QTabWidget* m_tabs;
    // Connexion
    QRadioButton* m_byModem;
    QRadioButton* m_byNetwork;
    QCheckBox* m_hangUpBeforeBox;
    NumberEdit* m_hangUpBefore;
    QCheckBox* m_hangUpAfterBox;
    NumberEdit* m_hangUpAfter;
    QCheckBox* m_keepReady;
    QCheckBox* m_proxyBox;
    QLineEdit* m_proxyAddress;
    QLineEdit* m_proxyPort;
    QSlider* m_bandwidth;
    QLabel* m_bandwidthLabel;
    // Téléchargement
    NumberEdit* m_nbMaxDownLoads;
    NumberEdit* m_timeOut;
    NumberEdit* m_timeOutByPage;
    QCheckBox* m_downLoadFromSelection;
    QCheckBox* m_priorityToChilds;
    QCheckBox* m_saveCommsForImg;
    QCheckBox* m_doNotCheckDiskSpace;
    QLineEdit* m_total;
    QLabel* m_counterStart;
    QPushButton* m_resetCounter;
    // Comparaison
    NumberEdit* m_nbCharToCompare;
    NumberEdit* m_nbMiniCharDifferent;
    NumberEdit* m_maxComparePeriod;
    ColorPanel* m_highLightColor;
    QCheckBox* m_compareTextOnly;
    // Divers
    NumberEdit* m_readTime;
    QLineEdit* m_externalBrowser;
    QLineEdit* m_externalEditor;
    QLineEdit* m_favoritesFolder;
    QPushButton* m_askAllConfirmations;
    // Profil
    QLineEdit* m_userName;
    QLineEdit* m_userMail;
};

} // namespace glanix
