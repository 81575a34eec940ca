#pragma once

#include "agents/AddressOptions.h"

#include <QWidget>
#include <array>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The option groups that the properties dialog and the two wizards share: the refresh policy
// and the file-type masks. Each shows plain values (agents/AddressOptions) and knows the
// "undetermined" state of grouped editing, where a value left alone changes nothing.
namespace glanix {

class NumberEdit;

// Unselects both radios of a pair (a grouped value that differs).
void clearRadios(QRadioButton* a, QRadioButton* b);

class RefreshChoice final : public QWidget {
    Q_OBJECT

public:
    explicit RefreshChoice(QWidget* parent = nullptr);

    void setPolicy(const RefreshPolicy& policy);
    // nullopt when "Inchangée" is selected.
    std::optional<RefreshPolicy> policy() const;
    // Grouped editing over differing policies: "Inchangée" shown and selected.
    void setUnchanged();
    // "Programmée :" in the dialog, "Programmé :" in the wizards.
    void setScheduledCaption(const QString& caption);
    // "Prochaine vérification " and the text; an empty text hides the label.
    void setNextCheckText(const QString& text);

    QLabel* nextCheckLabel() const { return m_nextCheck; }

    // The radio now selected, to give it the focus.
    QRadioButton* selectedRadio() const;

signals:
    void automaticChosen();

private:
    void updateEnabled();

    QRadioButton* m_systematic;
    QRadioButton* m_automatic;
    QCheckBox* m_onlyIfRead;
    QLabel* m_nextCheck;
    QRadioButton* m_once;
    QRadioButton* m_scheduled;
    QWidget* m_scheduledGroup;
    NumberEdit* m_days;
    NumberEdit* m_period;
    QRadioButton* m_unchanged;
};

class MaskTypesBox final : public QWidget {
    Q_OBJECT

public:
    enum class Mode { Only, AllBut, Undetermined };

    explicit MaskTypesBox(QWidget* parent = nullptr);

    // The exclude list wins when both are set; with neither, "Tout sauf" and no text.
    void setMasks(const QString& include, const QString& exclude);
    void setUndeterminedMode();
    void setUndeterminedText();

    Mode mode() const;
    QString maskText() const;
    // Each ticked type's masks once in the text, before saving.
    void normalise();
    // Include and exclude masks to store; nullopt when the mode is undetermined.
    std::optional<std::pair<QString, QString>> masks() const;

    QCheckBox* typeBox(MaskSet set) const { return m_types[static_cast<size_t>(set)]; }

    QLineEdit* textField() const { return m_text; }

private:
    void typeToggled(MaskSet set, bool on);
    void retick();

    std::array<QCheckBox*, kMaskSetCount> m_types {};
    QRadioButton* m_only;
    QRadioButton* m_allBut;
    QLineEdit* m_text;
};

} // namespace glanix
