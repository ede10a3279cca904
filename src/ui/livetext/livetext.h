#pragma once

#include <QObject>

class BackupInUse;
class PatchTextEdit;
class QAction;
class QWidget;
class TextChecker;

// The patch text that knows what the flash will do with it: checked beside
// the window once typing pauses and whenever another backup is taken, its
// marks, colours and findings shown in the text box; F8 and Shift+F8 go to
// the next and the previous finding from anywhere in the window.
class LiveText : public QObject
{
    Q_OBJECT

public:
    LiveText(PatchTextEdit *edit, BackupInUse &backup, QWidget *window);

    TextChecker *checker() const { return m_checker; }

private:
    PatchTextEdit *m_edit;
    TextChecker *m_checker;
};
