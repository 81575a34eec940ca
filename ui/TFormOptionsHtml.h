#pragma once

#include "config/OptGene.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// "Options HTML": the default colours and font of the pages shown by the views. OK puts them
// in Opt (saved at shutdown) and says so, so that the open views redraw themselves.
namespace glanix {

class ColorPanel;

class TFormOptionsHtml final : public QDialog {
    Q_OBJECT

public:
    explicit TFormOptionsHtml(TOptGene& opt, QWidget* parent = nullptr);

    QString fontName() const { return m_fontName; }

    int fontSize() const { return m_fontSize; }

    void setFont(const QString& name, int size);

public slots:
    void accept() override;

signals:
    void optionsChanged();

private:
    void choose();
    void updatePreview();

    TOptGene& m_opt;
    QString m_fontName;
    int m_fontSize;
    ColorPanel* m_text;
    ColorPanel* m_background;
    ColorPanel* m_links;
    QLabel* m_fontLabel;
    QLabel* m_preview;
    QCheckBox* m_runScripts;
};

} // namespace glanix
