#pragma once

#include "agents/NewAgent.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QStackedWidget;

// "Nouveau site": the new address in four pages (address and name, refresh, depth and images,
// masks), each pre-filled from what the element it goes under has, the masks page only with a
// depth above 0. The caller adds the address the user chose.
namespace glanix {

class TElement;
class WizardDepthPage;
class WizardMasksPage;
class WizardRefreshPage;

class NewAddressWizard final : public QDialog {
    Q_OBJECT

public:
    explicit NewAddressWizard(TElement& parentElement, QWidget* parent = nullptr);

    // What "Terminer" gives (valid once accepted).
    NewAddress address() const;

    int currentPage() const;

    QLineEdit* addressField() const { return m_address; }

    QLineEdit* nameField() const { return m_name; }

    WizardDepthPage* depthPage() const { return m_depth; }

    QPushButton* nextButton() const { return m_next; }

    QPushButton* previousButton() const { return m_previous; }

    QPushButton* finishButton() const { return m_finish; }

private:
    void showPage(int page);
    void next();

    QStackedWidget* m_pages;
    QLineEdit* m_address;
    QLineEdit* m_name;
    WizardRefreshPage* m_refresh;
    WizardDepthPage* m_depth;
    WizardMasksPage* m_masks;
    QPushButton* m_cancel;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_finish;
};

} // namespace glanix
