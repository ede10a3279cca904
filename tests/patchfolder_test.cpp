#include "assembly/assembly.h"
#include "patchfolder/drop.h"
#include "patchfolder/patchfolder.h"

#include "support/ordinaryuser.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Files made up in the collection's layout, in Windows-1251 as its patches are.
class Files
{
public:
    Files() { QDir(m_dir.path()).mkpath(u"."_s); }
    QString path(const QString &name) const { return QDir::toNativeSeparators(m_dir.filePath(name)); }
    QString root() const { return m_dir.path(); }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QDir(m_dir.path()).mkpath(QFileInfo(m_dir.filePath(name)).path());
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
    }
    void patch(const QString &name, const QString &text) const
    {
        QByteArray bytes;
        for (const QChar c : text) // the letters here are all in the code page
            bytes += c.unicode() < 0x80 ? char(c.unicode()) : char(c.unicode() - 0x0410 + 0xC0);
        write(name, bytes);
    }

private:
    QTemporaryDir m_dir;
};

QStringList names(const PatchFolder &folder)
{
    QStringList shown;
    for (const EntryState &state : folder.patches)
        shown += patchName(state);
    return shown;
}

} // namespace

TEST(PatchFolder, SortsNamesAsAPersonDoes)
{
    const struct {
        const char *a;
        const char *b;
        bool before;
    } cases[] = {
        {"2-a", "10-a", true},  {"10-a", "2-a", false}, {"a", "B", true},      {"B", "a", false},
        {"x9", "x10", true},    {"file", "file1", true}, {"007", "7", false},  {"7", "007", false},
        {"Big", "Бег", true},   {"абв", "АБГ", true},    {"", "a", true},      {"a", "a", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(namedBefore(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.before) << c.a << " " << c.b;
}

// A folder of the collection: patches by their own names, files that are no
// patch text counted apart.
TEST(PatchFolder, ListsEachPatchByItsOwnNameAndCountsTheRest)
{
    const Files files;
    files.patch(u"101-MainScreen_positioning.vkp"_s,
                u";CX70v50\r\n;Позиционирование главного экрана\r\n;MainScreen positioning\r\n;PatchID: 101\r\nA0: 01 02\r\n"_s);
    files.patch(u"20-Big_clock.vkp"_s, u";S65v58\r\n;Big clock\r\n;PatchID: 20\r\nA1: 01 02\r\n"_s);
    files.patch(u"7-no header.vkp"_s, u"A2: 01 02\r\n"_s);
    files.patch(u"Патч с пробелами.vkp"_s, u";CX70v50\r\n;Яркость\r\nA3: 01 02"_s);
    files.patch(u"readme.txt"_s, u"Просто текст.\r\n"_s);
    files.write(u"picture.png"_s, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    files.write(u"old/inside.vkp"_s, "A4: 01 02");
    // Patches that write nothing as they stand: listed all the same.
    files.patch(u"30-Choose.vkp"_s, u";CX70v50\r\n;Выбор\r\n;PatchID: 30\r\n;17337A0: 00 xx ;x-start\r\n;17337A1: 00 yy\r\n"_s);
    files.patch(u"31-Values.vkp"_s, u";CX70v50\r\n;Значения\r\n0B8D07C: 23232300 nnNNnnNN\r\n"_s);
    files.patch(u"32-Attached.vkp"_s, u";C65v50\r\n;Attached\r\n;!к патчу прикреплён файл, https://example.org/a.zip\r\n"_s);
    // Records and a NUL byte; larger than an append takes: no patch text.
    files.patch(u"33-nul.vkp"_s, u";CX70v50\r\n;Ноль\r\nA5: 01\0\r\n"_s);
    files.write(u"34-huge.vkp"_s, "");
    ASSERT_TRUE(QFile::resize(files.path(u"34-huge.vkp"_s), maxPatchFileBytes + 1));
    FolderMemory memory;
    PatchFolder listing;
    Status backupFailure;
    ASSERT_FALSE(listPatchFolder(files.root(), std::nullopt, memory, listing, backupFailure));
    EXPECT_EQ(names(listing), (QStringList{u"7-no header.vkp"_s, u"Attached"_s, u"Big clock"_s, u"Выбор"_s, u"Значения"_s,
                                           u"Позиционирование главного экрана"_s, u"Яркость"_s}));
    QStringList writeNothing;
    for (const EntryState &state : listing.patches) {
        if (state.writesNothing)
            writeNothing += patchName(state);
    }
    EXPECT_EQ(writeNothing, (QStringList{u"Attached"_s, u"Выбор"_s, u"Значения"_s}));
    EXPECT_EQ(listing.notPatches, 4);
    EXPECT_EQ(listing.patches[2].header.number, u"20"_s);
    EXPECT_TRUE(listing.patches[2].header.forAnotherPhone());
    EXPECT_EQ(listing.patches[2].path, files.path(u"20-Big_clock.vkp"_s));
}

// What a folder holds adds up, whatever the names: one in another encoding
// than the system's is counted where it cannot be listed; patches of one name
// come in the order of their files' names.
TEST(PatchFolder, CountsEveryFileAndOrdersPatchesOfOneName)
{
    const Files files;
    // Enough of them that the sort would not keep the order it was given.
    QStringList versions;
    for (int v = 40; v >= 10; --v) {
        files.patch(u"clock-v%1.vkp"_s.arg(v), u";CX70v50\r\n;Часы\r\nA0: 01\r\n"_s);
        versions.prepend(u"clock-v%1.vkp"_s.arg(v));
    }
#ifndef Q_OS_WIN
    // "Патч.vkp" in Windows-1251, as an old archive unpacks it.
    const QByteArray cp1251Name = QFile::encodeName(files.root()) + "/\xCF\xE0\xF2\xF7.vkp";
    QFile named;
    ASSERT_TRUE(named.open(std::fopen(cp1251Name.constData(), "w"), QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    named.write(";CX70v50\r\n;x\r\nA0: 01");
    named.close();
    // A folder so named is no file, and is not counted.
    ASSERT_EQ(::mkdir((QFile::encodeName(files.root()) + "/\xCF\xE0\xEF\xEA\xE0").constData(), 0700), 0);
    const int otherwise = 1;
#else
    const int otherwise = 0;
#endif
    FolderMemory memory;
    PatchFolder listing;
    Status backupFailure;
    ASSERT_FALSE(listPatchFolder(files.root(), std::nullopt, memory, listing, backupFailure));
    QStringList listed;
    for (const EntryState &state : listing.patches)
        listed += QFileInfo(state.path).fileName();
    EXPECT_EQ(listed, versions);
    EXPECT_EQ(listing.namedOtherwise, otherwise);

    // Stopped between files: it reads no further.
    int asked = 0;
    FolderMemory fresh;
    listPatchFolder(files.root(), std::nullopt, fresh, listing, backupFailure, [&] { return ++asked < 3; });
    EXPECT_EQ(asked, 3);
}

TEST(PatchFolder, MarksEachPatchAgainstTheBackup)
{
    const Files files;
    QByteArray flash(smallestBackup, '\0');
    flash[0xA0] = '\x02';
    files.write(u"full.bin"_s, flash);
    files.patch(u"CX70v50/on.vkp"_s, u";CX70v50\r\n;On\r\nA0: 01 02"_s);
    files.patch(u"CX70v50/fits.vkp"_s, u";CX70v50\r\n;Fits\r\nA1: 00 02"_s);
    Backup backup;
    ASSERT_FALSE(chooseBackup(files.path(u"full.bin"_s), backup));
    FolderMemory memory;
    PatchFolder listing;
    Status backupFailure;
    ASSERT_FALSE(listPatchFolder(files.path(u"CX70v50"_s), backup, memory, listing, backupFailure));
    ASSERT_FALSE(backupFailure);
    ASSERT_EQ(names(listing), (QStringList{u"Fits"_s, u"On"_s}));
    EXPECT_EQ(listing.patches[0].againstBackup, PatchState::NotApplied);
    EXPECT_EQ(listing.patches[1].againstBackup, PatchState::Applied);

    // More than are matched at once: each keeps its own state.
    for (int i = 0; i < 300; ++i)
        files.patch(u"many/%1.vkp"_s.arg(i), u";CX70v50\r\n;P%1\r\n%2: 00 02"_s.arg(i).arg(0x1000 + i, 0, 16));
    flash[0x1000 + 280] = '\x02';
    files.write(u"full.bin"_s, flash);
    ASSERT_FALSE(chooseBackup(files.path(u"full.bin"_s), backup));
    ASSERT_FALSE(listPatchFolder(files.path(u"many"_s), backup, memory, listing, backupFailure));
    ASSERT_EQ(listing.patches.size(), 300u);
    for (const EntryState &state : listing.patches)
        EXPECT_EQ(state.againstBackup, patchName(state) == u"P280"_s ? PatchState::Applied : PatchState::NotApplied) << patchName(state).toStdString();
}

// A folder read again reads only what changed since, or what the backup
// would say otherwise of.
TEST(PatchFolder, ReadsAgainOnlyWhatChanged)
{
    const Files files;
    QByteArray flash(smallestBackup, '\0');
    files.write(u"full.bin"_s, flash);
    files.patch(u"CX70v50/a.vkp"_s, u";CX70v50\r\n;Aa\r\nA0: 01 02"_s);
    files.patch(u"CX70v50/b.vkp"_s, u";CX70v50\r\n;Bb\r\nA0: 00 02"_s);
    Backup backup;
    ASSERT_FALSE(chooseBackup(files.path(u"full.bin"_s), backup));
    FolderMemory memory;
    PatchFolder listing;
    Status backupFailure;
    const auto list = [&] {
        EXPECT_FALSE(listPatchFolder(files.path(u"CX70v50"_s), backup, memory, listing, backupFailure));
        QStringList shown;
        for (const EntryState &state : listing.patches)
            shown += patchName(state) + u' ' + (state.againstBackup ? QString::number(int(*state.againstBackup)) : u"-"_s);
        return shown;
    };
    const auto touched = [&](const QString &name) { return QFileInfo(files.path(name)).lastModified(); };
    EXPECT_EQ(list(), (QStringList{u"Aa 4"_s, u"Bb 2"_s})); // does not fit, fits

    // The same size and time: taken as it was, not read again.
    const QDateTime was = touched(u"CX70v50/a.vkp"_s);
    files.patch(u"CX70v50/a.vkp"_s, u";CX70v50\r\n;Cc\r\nA0: 01 02"_s);
    QFile a(files.path(u"CX70v50/a.vkp"_s));
    ASSERT_TRUE(a.open(QIODevice::ReadWrite) && a.setFileTime(was, QFileDevice::FileModificationTime));
    a.close();
    EXPECT_EQ(list(), (QStringList{u"Aa 4"_s, u"Bb 2"_s}));
    // Another size: read again.
    files.patch(u"CX70v50/a.vkp"_s, u";CX70v50\r\n;Ccc\r\nA0: 01 02"_s);
    EXPECT_EQ(list(), (QStringList{u"Bb 2"_s, u"Ccc 4"_s}));
    // The backup written again: every mark worked out again.
    flash[0xA0] = '\x02';
    files.write(u"full.bin"_s, flash);
    QFile full(files.path(u"full.bin"_s));
    ASSERT_TRUE(full.open(QIODevice::ReadWrite) && full.setFileTime(touched(u"full.bin"_s).addSecs(5), QFileDevice::FileModificationTime));
    full.close();
    EXPECT_EQ(list(), (QStringList{u"Bb 1"_s, u"Ccc 1"_s})); // both on the phone
    // Of the same size, it is another backup than the one chosen before.
    Backup now;
    ASSERT_FALSE(chooseBackup(files.path(u"full.bin"_s), now));
    EXPECT_NE(now, backup);

#ifndef Q_OS_WIN
    // A file, then the backup, unreadable for a while (their size and time
    // unchanged): what was read meanwhile is not remembered once they read.
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(files.root(), open);
    QFile::setPermissions(files.path(u"CX70v50"_s), open);
    memory = {};
    const auto asNobody = [&] {
        const OrdinaryUser user;
        EXPECT_FALSE(user.failed()) << "running as root without the right to change user (CAP_SETUID)";
        return list();
    };
    const struct {
        const char *file;
        bool readable;
        QStringList shown;
    } steps[] = {
        {"CX70v50/a.vkp", false, {u"a.vkp -"_s, u"Bb 1"_s}}, {"CX70v50/a.vkp", true, {u"Bb 1"_s, u"Ccc 1"_s}},
        {"full.bin", false, {u"Bb -"_s, u"Ccc -"_s}},        {"full.bin", true, {u"Bb 1"_s, u"Ccc 1"_s}},
    };
    for (const auto &step : steps) {
        // What it read while it could is used again, and rightly so: the
        // backup is read anew only where no file is remembered.
        if (!step.readable)
            memory = {};
        QFile::setPermissions(files.path(QString::fromUtf8(step.file)), step.readable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther
                                                                                    : QFile::Permissions());
        EXPECT_EQ(asNobody(), step.shown) << step.file << " " << step.readable;
    }
#endif
}

// The whole collection chosen by mistake, and folders that cannot be listed.
TEST(PatchFolder, TakesThisPhonesFolderOfACollectionOrSaysWhyNot)
{
    const Files collection;
    collection.patch(u"all/CX70v50/1.vkp"_s, u";CX70v50\r\n;Один\r\nA0: 01"_s);
    collection.patch(u"all/S65v58/1.vkp"_s, u";S65v58\r\n;One\r\nA0: 01"_s);
    collection.patch(u"all/readme.txt"_s, u"Сборник патчей\r\n"_s);
    for (const char *phone : {"S65v58", "CX70v56", "SL45iv56", "C65v50", "S75v47", "C55v10", "S7v1"})
        collection.patch(u"others/%1/1.vkp"_s.arg(QLatin1String(phone)), u";S65v58\r\n;One\r\nA0: 01"_s);
    collection.write(u"others/Pictures/x.png"_s, QByteArray("\0", 1));
    collection.write(u"a file"_s, "A0: 01");
    FolderMemory memory;
    PatchFolder listing;
    Status backupFailure;
    ASSERT_FALSE(listPatchFolder(collection.path(u"all"_s), std::nullopt, memory, listing, backupFailure));
    EXPECT_EQ(listing.path, collection.path(u"all/CX70v50"_s));
    EXPECT_EQ(names(listing), QStringList{u"Один"_s});
    ASSERT_FALSE(listPatchFolder(collection.path(u"others"_s), std::nullopt, memory, listing, backupFailure));
    EXPECT_TRUE(listing.patches.empty());
    EXPECT_EQ(listing.phoneFolders,
              (QStringList{u"C55v10"_s, u"C65v50"_s, u"CX70v56"_s, u"S7v1"_s, u"S65v58"_s, u"S75v47"_s, u"SL45iv56"_s}));

    const struct {
        const char *name;
        QString folder;
        const char *reason;
    } refused[] = {
        {"missing", collection.path(u"gone"_s), "папка не найдена"},
        {"a file", collection.path(u"a file"_s), "это файл, а не папка"},
    };
    for (const auto &r : refused) {
        const Status failure = listPatchFolder(r.folder, std::nullopt, memory, listing, backupFailure);
        ASSERT_TRUE(failure) << r.name;
        EXPECT_EQ(failure->summary, u"Не удалось открыть папку с патчами."_s);
        EXPECT_EQ(failure->file, r.folder);
        EXPECT_EQ(failure->reason, QString::fromUtf8(r.reason));
    }
#ifndef Q_OS_WIN
    // Root lists any folder: nobody may not list one closed to him.
    QFile::setPermissions(collection.root(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    QFile::setPermissions(collection.path(u"all"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // One that may be read but not entered is no more listed.
    QFile::setPermissions(collection.path(u"others"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther);
    const OrdinaryUser user;
    ASSERT_FALSE(user.failed()) << "running as root without the right to change user (CAP_SETUID)";
    for (const QString &closed : {collection.path(u"all"_s), collection.path(u"others"_s)}) {
        const Status failure = listPatchFolder(closed, std::nullopt, memory, listing, backupFailure);
        ASSERT_TRUE(failure) << closed.toStdString();
        EXPECT_EQ(failure->reason, u"нет прав доступа"_s);
    }
#endif
}

// What × how large → what is done: a folder is listed, a patch text appended,
// anything else taken for the backup; several at once each by the same rule.
TEST(Drop, TakesEachFileForWhatItIs)
{
    const Files files;
    const QByteArray megabyte = QByteArray("A0: 01 02 ; a patch that reaches a MiB\r\n").repeated(30000);
    QByteArray flash(2 * smallestBackup, '\x33');
    flash[100] = '\0';
    files.patch(u"b.vkp"_s, u";CX70v50\r\n;B\r\nA0: 01"_s);
    files.patch(u"a.vkp"_s, u";CX70v50\r\n;A\r\nA0: 01"_s);
    files.write(u"large.vkp"_s, megabyte);
    files.write(u"full.bin"_s, flash);
    files.write(u"second.bin"_s, flash);
    files.write(u"small.bin"_s, QByteArray("\x01\0\x02", 3));
    files.write(u"notes.txt"_s, "not a patch");
    files.write(u"long notes.txt"_s, QByteArray("no record here\r\n").repeated(70000));
    files.write(u"CX70v50/1.vkp"_s, "A0: 01");
    files.write(u"CX70v56/1.vkp"_s, "A0: 01");
    const auto path = [&](const char *name) { return files.path(QString::fromUtf8(name)); };
    const QString small = u"в файле %1 Б, а полная копия прошивки занимает десятки МиБ: выберите файл, который прошивальщик "
                          u"записал при чтении всей памяти телефона"_s;
    const QString nul = u"в нём есть нулевой байт, как в копии прошивки, а в тексте патча его не бывает"_s;
    const QString noRecord = u"в нём нет ни одной записи «адрес: байты»"_s;
    const struct {
        const char *name;
        QStringList dropped;
        QString plan;
    } cases[] = {
        {"a folder", {path("CX70v50")}, u"folder CX70v50"_s},
        {"a patch", {path("a.vkp")}, u"patches a.vkp"_s},
        {"a patch of a MiB and more", {path("large.vkp")}, u"patches large.vkp"_s},
        {"a full flash", {path("full.bin")}, u"backup full.bin"_s},
        {"text of a MiB with no record", {path("long notes.txt")}, u"backup long notes.txt"_s},
        {"a small file with a NUL byte", {path("small.bin")},
         u"refused: "_s + small.arg(3) + u"; и это не патч: "_s + nul + u", так что ничего не добавлено"_s},
        {"a small text with no record", {path("notes.txt")},
         u"refused: "_s + small.arg(11) + u"; и это не патч: "_s + noRecord + u", так что ничего не добавлено"_s},
        {"a file that is gone", {path("gone.vkp")}, u"refused: файл не найден"_s},
        {"patches, a folder and a backup", {path("b.vkp"), path("full.bin"), path("CX70v50"), path("a.vkp")},
         u"folder CX70v50; patches a.vkp b.vkp; backup full.bin"_s},
        {"two folders", {path("CX70v56"), path("CX70v50")},
         u"folder CX70v50; note: Папка «CX70v56» не открыта: открывается одна папка за раз."_s},
        {"two backups", {path("second.bin"), path("full.bin")},
         u"note: Копия прошивки не выбрана: перетащено сразу несколько («full.bin», «second.bin»). Перетащите одну."_s},
        {"a patch and no backup", {path("a.vkp"), path("notes.txt")},
         u"patches a.vkp; note: «notes.txt» не добавлен и не взят копией прошивки: "_s + noRecord + u"; "_s + small.arg(11) + u"."_s},
    };
    for (const auto &c : cases) {
        const DropPlan plan = planDrop(c.dropped);
        QStringList parts;
        if (plan.folder)
            parts += u"folder "_s + QFileInfo(*plan.folder).fileName();
        if (!plan.patches.empty()) {
            QStringList patches;
            for (const QString &patch : plan.patches)
                patches += QFileInfo(patch).fileName();
            parts += u"patches "_s + patches.join(u' ');
        }
        if (plan.backup)
            parts += u"backup "_s + QFileInfo(plan.backup->path).fileName();
        if (plan.refused)
            parts += u"refused: "_s + plan.refused->reason;
        for (const QString &note : plan.notes)
            parts += u"note: "_s + note;
        EXPECT_EQ(parts.join(u"; "_s), c.plan) << c.name;
    }
}
