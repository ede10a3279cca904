#include "entryactions.h"

#include "backupinuse.h"
#include "editedpatch.h"
#include "entries/entryedit.h"
#include "entryview.h"

#include "assembly/patchtextholder.h"

#include <QAbstractItemView>
#include <QAction>
#include <QKeyEvent>
#include <QMenu>

EntryActions::EntryActions(const std::vector<QAbstractItemView *> &lists, QAction *saveCopy, BackupInUse &backup,
                           PatchTextHolder &text, std::function<void(const QString &path)> append, QWidget *window)
    : QObject(window)
    , m_lists(lists)
    , m_saveCopy(saveCopy)
    , m_backup(backup)
    , m_text(text)
    , m_append(std::move(append))
    , m_window(window)
{
    for (QAbstractItemView *list : m_lists) {
        // Only a double-click on an entry, never beside them.
        connect(list, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex &index) { m_append(index.data(entryPathRole).toString()); });
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &at) { showMenu(list, at); });
        list->installEventFilter(this);
    }
}

// Enter appends the current entry and Shift+Enter takes it off, once a press.
bool EntryActions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QObject::eventFilter(watched, event);
    const QString path = static_cast<QAbstractItemView *>(watched)->currentIndex().data(entryPathRole).toString();
    if (!key->isAutoRepeat() && !path.isEmpty()) {
        if (key->modifiers() & Qt::ShiftModifier)
            takeOff(path);
        else
            m_append(path);
    }
    return true;
}

// The menu of the entry under the pointer, which becomes the current one.
void EntryActions::showMenu(QAbstractItemView *list, const QPoint &at)
{
    const QModelIndex index = list->indexAt(at);
    if (!index.isValid())
        return;
    list->setCurrentIndex(index);
    const QString path = index.data(entryPathRole).toString();
    QMenu menu(m_window);
    // The menu shows the keys; they are the lists' own, not shortcuts.
    connect(menu.addAction(QStringLiteral("Добавить\tEnter")), &QAction::triggered, this, [this, path] { m_append(path); });
    connect(menu.addAction(QStringLiteral("Снять с телефона\tShift+Enter")), &QAction::triggered, this,
            [this, path] { takeOff(path); });
    QAction *fillIn = menu.addAction(QStringLiteral("Добавить со старыми байтами из копии"));
    connect(fillIn, &QAction::triggered, this, [this, path] { fill(path); });
    menu.addSeparator();
    menu.addAction(m_saveCopy);
    fillIn->setEnabled(m_backup.backup().has_value());
    m_saveCopy->setEnabled(m_backup.backup().has_value());
    menu.exec(list->viewport()->mapToGlobal(at));
    // Ctrl+S works outside the menu too, and says what it needs.
    m_saveCopy->setEnabled(true);
}

void EntryActions::takeOff(const QString &path)
{
    appendEdited(takeOffFile(path, m_backup.backup()), m_backup, m_text, m_window);
}

void EntryActions::fill(const QString &path)
{
    if (!backupToFillFrom(m_backup, m_window))
        return;
    appendEdited(fillFromBackup(path, *m_backup.backup()), m_backup, m_text, m_window);
}
