#pragma once

#include <QMainWindow>
#include <QStringList>

namespace glanix {

// The main window: the tree of open agents on the left, view windows on the right.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(const QString& home, const QStringList& arguments, QWidget* parent = nullptr);

private:
    QString m_home;
};

} // namespace glanix
