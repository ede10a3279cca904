#pragma once

#include "backup/backupfile.h"

#include <QObject>
#include <optional>

class QLabel;
class QPushButton;
class QToolButton;
class QWidget;

// The full-flash backup the entries are marked against: chosen in its
// dialog, dropped, put away with ✕, or lost when it no longer reads; its
// name under the button. Whatever changes it, the marks follow (`changed`).
class BackupInUse : public QObject
{
    Q_OBJECT

public:
    struct Widgets {
        QPushButton *choose;
        QLabel *name;
        QToolButton *stop;
    };
    BackupInUse(Widgets widgets, QWidget *window);

    const std::optional<Backup> &backup() const { return m_backup; }
    // Takes the file at `path`, or says why not.
    void use(const QString &path);
    // One already taken for a backup, as a drop takes it.
    void use(const Backup &backup);
    // It no longer reads: it is no longer used, and the user is told now or,
    // inside an activation or a listing, once that is over.
    enum class Tell { Now, Later };
    void lost(const Failure &failure, Tell when);

signals:
    void changed();

private:
    void set(const std::optional<Backup> &backup);
    void show();

    Widgets m_widgets;
    QWidget *m_window;
    std::optional<Backup> m_backup;
};
