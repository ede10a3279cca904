#pragma once

// Driving the program's window in tests: boxes answered, entries picked,
// files dropped, the window sent away and back.

#include "mainwindow.h"
#include "support/programfolder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Counts the modal windows of a kind that a test waits for: one is no
// unexpected box, however long a busy machine takes to hand it over.
void awaitModal(const QMetaObject *kind, int change);

// Hands the next modal dialog of its kind to `handle`, which must close it.
template <typename Dialog>
void whenModal(std::function<void(Dialog *)> handle)
{
    awaitModal(&Dialog::staticMetaObject, 1);
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            awaitModal(&Dialog::staticMetaObject, -1);
            handle(dialog);
        }
    });
    timer->start(10);
}

void whenMessageBox(std::function<void(QMessageBox *)> handle);

// Chooses `path` in a file dialog, as typing it in does: picking it in the
// dialog's list depends on the list having been read, which a busy machine
// delays.
void chooseInDialog(QFileDialog *dialog, const QString &path);

// A box no test waits for would block it for good: fail and close it. Any
// modal window may be one, a file dialog too, so it is asked what it is.
// One dialog may show again and again, so only one that stays up while no
// test waits for its kind counts.
class UnexpectedBoxes
{
public:
    UnexpectedBoxes();

private:
    QTimer m_timer;
    QPointer<QWidget> m_last;
};

struct Shown {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget *parent = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
};

Shown readAndAccept(QMessageBox *box);

QString patchTextOf(QWidget &window);

// A click first: a double-click alone does not reach the item.
void pickIn(QWidget &window, int tab, const char *list, int row);

// Whether the entry is drawn grey, as one whose patch file cannot be added.
bool drawnGrey(QWidget &window, const char *list, int row);

// Files dragged onto `on` and dropped, as a file manager does.
void dropFiles(QWidget *on, const QStringList &files);

// The menu of the entry at `row` of `view`, as a right click brings it: its
// items as they read (a separator is empty), which are enabled, and the one
// that reads `choose` chosen with Enter when it is enabled; or none, and the
// menu closed. `meanwhile` runs while the menu is open, before the choice.
struct MenuSeen {
    QStringList items;
    QStringList enabled;
};

MenuSeen useMenu(QAbstractItemView *view, int row, const QString &choose, const std::function<void()> &meanwhile = {});
// The same of any widget's menu, right-clicked at `at`.
MenuSeen useMenuAt(QWidget *widget, QPoint at, const QString &choose, const std::function<void()> &meanwhile = {});

// Makes `widget` the active window, as a click on it would.
bool activate(QWidget &widget);

class Window : public ::testing::Test
{
protected:
    Window();

    template <typename T>
    T *child(const char *name) { return window.findChild<T *>(QLatin1String(name)); }
    QString patchText() { return patchTextOf(window); }
    void pick(int tab, const char *list, int row) { pickIn(window, tab, list, row); }
    // The window sent to the background, then brought back: it looks at its files again.
    void comeBack();

    ProgramFolder folder;
    MainWindow window;
    UnexpectedBoxes unexpectedBoxes;
    QWidget elsewhere;
};
