#include "windowdriver.h"

#include "textboxholder.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <map>

namespace {

std::map<const QMetaObject *, int> &awaited()
{
    static std::map<const QMetaObject *, int> kinds;
    return kinds;
}

bool isAwaited(const QWidget *box)
{
    for (const auto &[kind, count] : awaited()) {
        if (count > 0 && box->inherits(kind->className()))
            return true;
    }
    return false;
}

} // namespace

void awaitModal(const QMetaObject *kind, int change)
{
    awaited()[kind] += change;
}

void whenMessageBox(std::function<void(QMessageBox *)> handle)
{
    whenModal<QMessageBox>(std::move(handle));
}

void chooseInDialog(QFileDialog *dialog, const QString &path)
{
    // The dialog first opens the folder, as a person does: it reads the
    // folder it shows meanwhile, and once it has, it may put the bare name of
    // what was typed in the line, which must then name the file there.
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (dialog->fileMode() == QFileDialog::Directory) {
        dialog->setDirectory(path);
        name->clear();
    } else {
        dialog->setDirectory(QFileInfo(path).path());
        name->setText(path);
    }
    QMetaObject::invokeMethod(dialog, "accept");
}

UnexpectedBoxes::UnexpectedBoxes()
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        QWidget *box = QApplication::activeModalWidget();
        if (box && isAwaited(box))
            box = nullptr;
        if (box && box == m_last) {
            if (const auto *message = qobject_cast<QMessageBox *>(box))
                ADD_FAILURE() << "unexpected box: " << message->text().toStdString();
            else
                ADD_FAILURE() << "unexpected " << box->metaObject()->className() << ": " << box->windowTitle().toStdString();
            box->close();
        }
        m_last = box;
    });
    m_timer.start(1000);
}

Shown readAndAccept(QMessageBox *box)
{
    Shown shown{box->windowTitle(), box->text(), box->icon(), box->parentWidget(), box->windowModality()};
    box->button(QMessageBox::Ok)->click();
    return shown;
}

QString patchTextOf(QWidget &window)
{
    return TextBoxHolder(window.findChild<QPlainTextEdit *>(QStringLiteral("txtPath"))).text();
}

void pickIn(QWidget &window, int tab, const char *list, int row)
{
    window.findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(tab);
    auto *view = window.findChild<QListWidget *>(QLatin1String(list));
    const QPoint at = view->visualItemRect(view->item(row)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

bool drawnGrey(QWidget &window, const char *list, int row)
{
    const QVariant colour = window.findChild<QListWidget *>(QLatin1String(list))->item(row)->data(Qt::ForegroundRole);
    return colour.isValid()
        && colour.value<QBrush>().color() == window.palette().color(QPalette::Disabled, QPalette::Text);
}

void dropFiles(QWidget *on, const QStringList &files)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls += QUrl::fromLocalFile(file);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(on, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(on, &dropped);
    QCoreApplication::processEvents();
}

bool activate(QWidget &widget)
{
    widget.activateWindow();
    return QTest::qWaitForWindowActive(&widget);
}

Window::Window()
{
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

void Window::comeBack()
{
    elsewhere.show();
    EXPECT_TRUE(activate(elsewhere));
    EXPECT_TRUE(activate(window));
}

MenuSeen useMenu(QAbstractItemView *view, int row, const QString &choose, const std::function<void()> &meanwhile)
{
    return useMenuAt(view->viewport(), view->visualRect(view->model()->index(row, 0)).center(), choose, meanwhile);
}

MenuSeen useMenuAt(QWidget *widget, QPoint at, const QString &choose, const std::function<void()> &meanwhile)
{
    MenuSeen seen;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer.stop();
        if (meanwhile)
            meanwhile();
        bool chosen = false;
        for (QAction *action : menu->actions()) {
            seen.items += action->text();
            if (action->isEnabled() && !action->isSeparator())
                seen.enabled += action->text().section(u'\t', 0, 0);
            if (action->isEnabled() && action->text().startsWith(choose) && !choose.isEmpty()) {
                menu->setActiveAction(action);
                chosen = true;
            }
        }
        // Enter on a disabled item would leave the menu open.
        QTest::keyClick(menu, chosen ? Qt::Key_Return : Qt::Key_Escape);
    });
    timer.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    return seen;
}
