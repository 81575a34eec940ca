#pragma once

#include "agents/FolderChooser.h"

#include <QPointer>
#include <QWidget>

// The folder-browsing dialog of the desktop.
namespace glanix {

class QtFolderChooser final : public FolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }

    void setParent(QWidget* parent) { m_parent = parent; }

    QString chooseFolder(const QString& title, const QString& start) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace glanix
