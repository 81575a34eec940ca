#pragma once

#include <QWidget>

class QCheckBox;
class QRadioButton;

// The option pages of the new-agent and new-address wizards: refresh policy, then link depth
// and images, then file-type masks (skipped when the depth is 0). Each page only holds the
// user's choice; the wizard writes it into the new element.
namespace glanix {

class MaskTypesBox;
class TElement;
class NumberEdit;
class RefreshChoice;

class WizardRefreshPage final : public QWidget {
    Q_OBJECT

public:
    explicit WizardRefreshPage(QWidget* parent = nullptr);

    double frequency() const; // the `Frequency` code
    void applyTo(TElement& element) const;

    RefreshChoice* choice() const { return m_choice; }

private:
    RefreshChoice* m_choice;
};

class WizardDepthPage final : public QWidget {
    Q_OBJECT

public:
    explicit WizardDepthPage(QWidget* parent = nullptr);

    int depth() const;
    bool downLoadImages() const;
    void setDownLoadImages(bool on);
    // The server part of the new address with "Sur le même serveur", else empty.
    QString linksStart(const QString& address) const;

    bool skipsMasksPage() const { return depth() == 0; }

    // "Sur le même serveur" rather than "Suivre tous les liens".
    bool sameServer() const;

    // Images, depth and link prefix, the prefix from the element's address.
    void applyTo(TElement& element) const;

signals:
    // The depth typed so far (the masks page is offered above 0).
    void depthChanged(int depth);

private:
    NumberEdit* m_depth;
    QCheckBox* m_images;
    QRadioButton* m_allLinks;
    QRadioButton* m_sameServer;
};

class WizardMasksPage final : public QWidget {
    Q_OBJECT

public:
    explicit WizardMasksPage(QWidget* parent = nullptr);

    QString includeMask() const;
    QString excludeMask() const;
    void applyTo(TElement& element) const;

    MaskTypesBox* box() const { return m_box; }

private:
    MaskTypesBox* m_box;
};

} // namespace glanix
