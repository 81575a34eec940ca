#include "ui/QtFolderChooser.h"

#include "ui/NormalCursor.h"

#include <QFileDialog>

namespace glanix {

QString QtFolderChooser::chooseFolder(const QString& title, const QString& start)
{
    // A window title holds one line.
    QString caption = title;
    caption.replace(u'\r', u' ').replace(u'\n', u' ');
    const NormalCursor arrow;
    return QFileDialog::getExistingDirectory(m_parent, caption.simplified(), start);
}

} // namespace glanix
