#pragma once

#include "views/SearchWalk.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Recherche avancée": the query with its history (section LastSearchs, newest first), the
// engine, where to look, the scope, counting and the age filters (section Search). Both are
// read when the dialog opens and written when it closes, whichever way. "Chercher" puts the
// query on top of the history and accepts; the caller runs the search (SearchLauncher).
namespace glanix {

class Env;

class TFormRecherche final : public QDialog {
    Q_OBJECT

public:
    explicit TFormRecherche(Env& env, QWidget* parent = nullptr);
    ~TFormRecherche() override;

    // The controls' settings with the trimmed query.
    SearchSettings settings() const;
    QStringList history() const;

    QComboBox* queryBox() const { return m_query; }

    QPushButton* searchButton() const { return m_search; }

    // The two entries the query box's menu adds to the usual ones.
    QAction* forgetAction() const { return m_forget; }

    QAction* forgetAllAction() const { return m_forgetAll; }

public slots:
    // "Chercher": only with a query.
    void accept() override;
    void done(int result) override;

signals:
    void helpRequested(const QString& topic);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateEnabled();
    void setHistory(const QStringList& history);
    void showHistoryMenu(const QPoint& at);

    Env& m_env;
    QComboBox* m_query;
    QRadioButton* m_normal;
    QRadioButton* m_code;
    QCheckBox* m_inPages;
    QCheckBox* m_inTitle;
    QCheckBox* m_inNotes;
    QCheckBox* m_inURL;
    QRadioButton* m_where[3];
    QCheckBox* m_count;
    QCheckBox* m_checkMinAge;
    QCheckBox* m_checkMaxAge;
    QSpinBox* m_minDays;
    QSpinBox* m_maxDays;
    QPushButton* m_search;
    QAction* m_forget;
    QAction* m_forgetAll;
    bool m_saved = false;
};

} // namespace glanix
