#pragma once

#include <QObject>

class BackupInUse;
class PatchTextHolder;
class QAction;
class PatchTextEdit;
class QWidget;

// The copy after a flash (Ctrl+S, in the text box's menu and the entries'):
// the backup in use with the whole text written into it, saved where the
// user says and used from then on, so that the marks show what the phone
// holds after the flash.
class CopyAfterFlash : public QObject
{
public:
    CopyAfterFlash(BackupInUse &backup, PatchTextHolder &text, PatchTextEdit *textBox, QWidget *window);

    QAction *action() const { return m_action; }

private:
    void save();

    BackupInUse &m_backup;
    PatchTextHolder &m_text;
    QWidget *m_window;
    QAction *m_action;
};

// The name offered for the copy of the backup `backup`, beside it: never
// the backup itself nor a file there already, and no longer for a copy of a
// copy.
QString offeredCopyName(const QString &backup);
