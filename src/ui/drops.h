#pragma once

#include "backup/backupfile.h"

#include <QObject>
#include <functional>

class QWidget;

// Files and folders dropped anywhere on the window, the text box included,
// taken for what they are: patches appended, a folder listed in the fourth
// tab, any other file taken for the backup. What was not done as one may
// expect is said in one box.
class Drops : public QObject
{
public:
    struct Calls {
        // Appends the patch of `path`: what to say of it, or nothing.
        std::function<QString(const QString &path)> append;
        std::function<void(const Backup &backup)> useBackup;
        std::function<void(const QString &folder)> useFolder;
    };
    // `textBox`: where the text box's own drop would insert a dropped file's name.
    Drops(QWidget *window, QWidget *textBox, Calls calls);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void use(const QStringList &paths);

    QWidget *m_window;
    Calls m_calls;
};
