#include "mainwindow.h"
#include "startup.h"

#include "assembly/assembly.h"
#include "runtime/codepage.h"
#include "support/printers.h"
#include "support/programfolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <malloc.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Hands the next modal message box to `handle`, which must close it.
void whenMessageBox(std::function<void(QMessageBox *)> handle)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            handle(box);
        }
    });
    timer->start(10);
}

struct Shown {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

Shown readAndAccept(QMessageBox *box)
{
    Shown shown{box->windowTitle(), box->text(), box->icon()};
    box->button(QMessageBox::Ok)->click();
    return shown;
}

} // namespace

class Window : public ::testing::Test
{
protected:
    Window()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        // A box no test waits for would block it for good: fail and close it.
        QObject::connect(&boxGuard, &QTimer::timeout, [this] {
            QWidget *box = QApplication::activeModalWidget();
            if (box && box == lastBox) {
                ADD_FAILURE() << "unexpected box: " << qobject_cast<QMessageBox *>(box)->text().toStdString();
                box->close();
            }
            lastBox = box;
        });
        boxGuard.start(1000);
    }

    template <typename T>
    T *child(const char *name) { return window.findChild<T *>(QLatin1String(name)); }
    QString patchText() { return TextBoxHolder(child<QPlainTextEdit>("txtPath")).text(); }

    // A click first: a double-click alone does not reach the item.
    void pick(int tab, const char *list, int row)
    {
        child<QTabWidget>("SSTab1")->setCurrentIndex(tab);
        auto *view = child<QListWidget>(list);
        const QPoint at = view->visualItemRect(view->item(row)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    ProgramFolder folder;
    MainWindow window;
    QTimer boxGuard;
    QPointer<QWidget> lastBox;
};

TEST(Startup, WarnsBeforeTheWindowShowsHoweverTheWarningIsClosed)
{
    const std::function<void(QMessageBox *)> ways[] = {
        [](QMessageBox *box) { box->button(QMessageBox::Ok)->click(); },
        [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); },
        [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); },
        [](QMessageBox *box) { box->close(); },
    };
    for (const auto &close : ways) {
        MainWindow window;
        Shown shown;
        bool windowVisible = true;
        whenMessageBox([&](QMessageBox *box) {
            shown = {box->windowTitle(), box->text(), box->icon()};
            EXPECT_EQ(box->buttons().size(), 1);
            windowVisible = window.isVisible();
            close(box);
        });
        startUp(window);
        EXPECT_FALSE(windowVisible);
        EXPECT_EQ(shown.title, u"Kelvaro");
        EXPECT_EQ(shown.icon, QMessageBox::Warning);
        EXPECT_TRUE(shown.text.startsWith(
            u"Внимание! Вы используете эту программу на свой страх и риск. Автор не несёт НИКАКОЙ "
            u"ответственности за вред приченёный программой. Патчи взяты из сборника Morvash "_s));
        EXPECT_TRUE(window.isVisible());

        auto *tabs = window.findChild<QTabWidget *>(u"SSTab1"_s);
        EXPECT_EQ(tabs->currentIndex(), 2);
        EXPECT_EQ(tabs->tabText(2), u"Разное");
        EXPECT_EQ(window.findChild<QListWidget *>(u"lstOther"_s)->count(), 8);
    }
}

TEST_F(Window, KeepsItsLayoutAndFocusOrder)
{
    EXPECT_EQ(window.size(), QSize(459, 611));
    const struct {
        const char *name;
        QRect geometry;
    } controls[] = {
        {"SSTab1", {0, 0, 457, 249}},
        {"txtPath", {0, 256, 457, 305}},
        {"vklay", {280, 568, 81, 41}},
        {"cmdClear", {368, 568, 81, 41}},
    };
    for (const auto &c : controls)
        EXPECT_EQ(child<QWidget>(c.name)->geometry(), c.geometry) << c.name;

    // Every tab caption readable in one row.
    const QTabBar *bar = child<QTabWidget>("SSTab1")->tabBar();
    EXPECT_LE(bar->sizeHint().width(), 457);
    for (int i = 0; i < bar->count(); ++i)
        EXPECT_GE(bar->tabRect(i).width(), bar->fontMetrics().horizontalAdvance(bar->tabText(i)));

    // Tab walks the controls in their order; of the lists only the shown one takes focus.
    QStringList order;
    QWidget *start = child<QTabWidget>("SSTab1")->tabBar();
    start->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order += QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order, (QStringList{u"txtPath"_s, u"vklay"_s, u"lstOther"_s, u"cmdClear"_s}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), start);
}

TEST_F(Window, ShowsItsButtonsAsDrawn)
{
    auto *clear = child<QPushButton>("cmdClear");
    EXPECT_EQ(clear->text(), QString(QChar(0x0421)));
    EXPECT_EQ(clear->font().family(), u"MS Sans Serif");
    EXPECT_EQ(clear->font().pointSize(), 24);
    EXPECT_TRUE(clear->font().bold());
    EXPECT_EQ(clear->toolTip(), u"Очистить поле патча");

    auto *vklay = child<QPushButton>("vklay");
    EXPECT_TRUE(vklay->text().isEmpty());
    EXPECT_EQ(vklay->toolTip(), u"Открыть в V_klay");
    EXPECT_EQ(vklay->accessibleName(), u"Открыть в V_klay");
    EXPECT_EQ(QImageReader(u":/icons/vklay.ico"_s).imageCount(), 6);
    EXPECT_EQ(vklay->icon().availableSizes(), (QList<QSize>{{32, 32}, {48, 48}, {16, 16}, {24, 24}}));
    EXPECT_EQ(window.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    EXPECT_EQ(window.windowTitle(), u"Kelvarine by Dorrin Demo");
}

TEST_F(Window, AppendsThePickedEntryAndClears)
{
    folder.write(u"f2.h"_s, "A\r\nB");
    folder.write(u"o6.h"_s, "C");
    pick(1, "lstFast", 2);
    EXPECT_EQ(patchText(), u"\r\nA\r\nB\r\n");
    pick(2, "lstOther", 6);
    EXPECT_EQ(patchText(), u"\r\nA\r\nB\r\n\r\nC\r\n");

    // A double-click beside the entries picks nothing, and no key picks either.
    auto *list = child<QListWidget>("lstOther");
    const QPoint below(10, list->viewport()->height() - 3);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(patchText(), u"\r\nA\r\nB\r\n\r\nC\r\n");

    QTest::mouseClick(child<QPushButton>("cmdClear"), Qt::LeftButton);
    EXPECT_EQ(patchText(), u"");
}

TEST_F(Window, TypedLineBreaksAreCrLf)
{
    auto *edit = child<QPlainTextEdit>("txtPath");
    QTest::keyClicks(edit, u"x"_s);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, u"y"_s);
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(edit, u"z"_s);
    EXPECT_EQ(patchText(), u"x\r\ny\r\nz");
}

TEST_F(Window, HoldsEveryByteAndLineEndExactly)
{
    const QByteArray line = everyLineByte();
    const QByteArray nul(1, '\0');
    folder.write(u"d7.h"_s, line + "\r\n\r\n" + line + nul + "\n");
    PlainTextHolder expected;
    ASSERT_FALSE(AppendPatchFile(expected, Category::Del, 7));
    pick(0, "lstDel", 7);
    EXPECT_EQ(patchText(), expected.text());

    whenMessageBox(readAndAccept); // shell.bat is missing here
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_EQ(folder.read(u"tmp.vkp"_s), "\r\n" + line + "\r\n\r\n" + line + nul + "\r\n\r\n");
}

TEST_F(Window, HandsOverToTheScript)
{
    folder.write(u"o0.h"_s, "X");
    folder.write(u"shell.bat"_s, "echo \"$#\" > started.tmp && mv started.tmp started\n");
    pick(2, "lstOther", 0);
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_EQ(folder.read(u"tmp.vkp"_s), "\r\nX\r\n\r\n");
    ASSERT_TRUE(waitForFile(folder.file(u"started"_s)));
    EXPECT_EQ(folder.read(u"started"_s), "0\n");
}

TEST_F(Window, ReportsFailuresAndKeepsTheText)
{
    folder.write(u"o0.h"_s, "X");
    folder.write(u"shell.bat"_s, "touch started\n");
    pick(2, "lstOther", 0);
    const QString before = patchText();

    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    pick(2, "lstOther", 5); // o5.h is missing
    EXPECT_EQ(shown.title, u"Kelvaro");
    EXPECT_EQ(shown.icon, QMessageBox::Critical);
    EXPECT_TRUE(shown.text.contains(QDir::toNativeSeparators(folder.file(u"o5.h"_s))));
    EXPECT_TRUE(shown.text.contains(u"файл не найден"));
    EXPECT_EQ(patchText(), before);

    // A typed character the code page lacks stops the hand-over before the script.
    auto *edit = child<QPlainTextEdit>("txtPath");
    edit->moveCursor(QTextCursor::End);
    edit->insertPlainText(u"中"_s);
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_TRUE(shown.text.contains(u"«中»"));
    EXPECT_EQ(patchText(), before + u"中"_s);
    EXPECT_FALSE(folder.exists(u"tmp.vkp"_s));

    // So does a folder where tmp.vkp should be.
    QTest::mouseClick(child<QPushButton>("cmdClear"), Qt::LeftButton);
    QDir(folder.path()).mkdir(u"tmp.vkp"_s);
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_TRUE(shown.text.contains(QDir::toNativeSeparators(folder.file(u"tmp.vkp"_s))));

    QTest::qWait(200);
    EXPECT_FALSE(folder.exists(u"started"_s));
    EXPECT_TRUE(window.isVisible());
}

// Bytes the allocator has handed out and not had back, large blocks included.
static std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

TEST_F(Window, ALongRunOfMixedActionsLeavesNothingBehind)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer keeps its own heap, which mallinfo2() does not see";
#endif
    for (const PatchCategory &category : patchCatalogue()) {
        for (std::size_t i = 0; i < category.entries.size(); ++i)
            folder.write(QFileInfo(PatchFilePath(category.category, int(i))).fileName(),
                         QByteArray("; line\r\n").repeated(int(i) * 40 + 1));
    }
    folder.write(u"shell.bat"_s, "");
    auto *clear = child<QPushButton>("cmdClear");
    auto *vklay = child<QPushButton>("vklay");

    QRandomGenerator random(50);
    const auto run = [&](int actions) {
        for (int n = 0; n < actions; ++n) {
            const int action = random.bounded(100);
            if (action < 2) {
                QTest::mouseClick(clear, Qt::LeftButton);
            } else if (action < 7) {
                QTest::mouseClick(vklay, Qt::LeftButton);
            } else {
                const int tab = random.bounded(3);
                const PatchCategory &category = patchCatalogue()[tab];
                pick(tab, category.listName.toLatin1().constData(), random.bounded(int(category.entries.size())));
            }
            QCoreApplication::processEvents(); // as the event loop would between clicks
        }
        QTest::mouseClick(vklay, Qt::LeftButton);
        QByteArray expected;
        encodeCodePage(patchText() + u"\r\n"_s, expected);
        EXPECT_TRUE(folder.read(u"tmp.vkp"_s) == expected);
        QTest::mouseClick(clear, Qt::LeftButton);
    };

    run(300); // warm caches, fonts and the allocator first
    const std::size_t before = heapInUse();
    run(3000);
    EXPECT_LT(heapInUse(), before + 2 * 1024 * 1024);
}
