#include "entries/entryedit.h"
#include "entries/entrystate.h"

#include "assembly/assembly.h"
#include "runtime/codepage.h"
#include "support/ordinaryuser.h"
#include "support/printers.h"
#include "support/programfolder.h"

#include <QDir>
#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

// What an entry says of its patch file, the same whatever asks: the list at
// start, its tooltip, and the words an append would give.
TEST(EntryState, SaysWhatItsPatchFileIsAndWhatThePatchSaysOfItself)
{
    const ProgramFolder folder;
    QDir(folder.path()).mkdir(u"d1.h"_s);
    // Its comments at the top, and more than the 64 KiB a description reads.
    folder.write(u"d2.h"_s, "; first\r\n; second\r\n" + QByteArray("A0: 01\r\n").repeated(10000));
    folder.write(u"d3.h"_s, "A0: 01");
    folder.write(u"d8.h"_s, ";S65v58\r\n;Big clock\r\nA0: 01");
    struct Case {
        int index;
        EntryState::File file;
        QString about;
    };
    std::vector<Case> cases = {
        {0, EntryState::File::Missing,
         u"Файла d0.h нет в папке программы\n"_s + QDir::toNativeSeparators(folder.path())
             + u"\nПоложите его туда, и патч можно будет добавить."_s},
        {1, EntryState::File::NotReadable, u"Не удалось прочитать d1.h: это папка, а не файл."_s},
        {2, EntryState::File::Present, u"first\nsecond"_s},
        {3, EntryState::File::Present, u"d3.h"_s},
        // Written for another phone, as its first line says, with no backup in use.
        {8, EntryState::File::Present,
         u"Патч написан для S65v58, а эта программа — для CX70v50:\nпроверьте, подходит ли он к прошивке телефона.\n\n"
         u"S65v58\nBig clock"_s},
    };
    // Larger than an append takes, whether or not a backup is in use.
    folder.write(u"d6.h"_s, "");
    ASSERT_TRUE(QFile::resize(folder.file(u"d6.h"_s), maxPatchFileBytes + 1));
    cases.push_back({6, EntryState::File::NotReadable, u"Не удалось прочитать d6.h: файл больше 64 МиБ."_s});
#ifndef Q_OS_WIN
    // What root would read all the same, nobody may not.
    folder.write(u"d7.h"_s, "A0: 01");
    ASSERT_TRUE(QFile::setPermissions(folder.file(u"d7.h"_s), {}));
    cases.push_back({7, EntryState::File::NotReadable, u"Не удалось прочитать d7.h: нет прав доступа (Доступ запрещён)."_s});
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.file(u"d4.h"_s)).constData(), 0600), 0);
    cases.push_back({4, EntryState::File::NotReadable, u"Не удалось прочитать d4.h: это не обычный файл (канал или устройство)."_s});
    ASSERT_TRUE(QFile::link(folder.file(u"gone.h"_s), folder.file(u"d5.h"_s)));
    cases.push_back({5, EntryState::File::NotReadable,
                     u"Не удалось прочитать d5.h: ссылка ведёт на несуществующий файл или по кругу."_s});
#endif
    QFile::setPermissions(folder.root(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    std::vector<EntryState> states;
    {
        const OrdinaryUser user;
        ASSERT_FALSE(user.failed()) << "running as root without the right to change user (CAP_SETUID)";
        Status failure;
        states = lookAtFiles(catalogueFiles(), Look::Start, std::nullopt, failure);
    }
    ASSERT_EQ(states.size(), 20u);
    for (const Case &c : cases) {
        const EntryState &state = states[std::size_t(c.index)];
        EXPECT_EQ(state.file, c.file) << c.index;
        EXPECT_EQ(entryAbout(state), c.about);
    }
}

// Each patch file read and matched against one backup, in one look: the
// entries' states and their words, from the bytes written here by hand.
TEST(EntryState, WithABackupEachEntrySaysWhereItsPatchStands)
{
    const ProgramFolder folder;
    QByteArray flash(smallestBackup, '\x33');
    flash[0x1000] = '\x5E';
    folder.write(u"../full.bin"_s, flash);
    folder.write(u"f0.h"_s, "; on the phone\r\n1000: 10 5E");
    folder.write(u"f1.h"_s, "; fits\r\n1001: 33 5E\r\n1002: 5E");
    folder.write(u"f2.h"_s, "; foreign\r\n1003: 10 5E");
    QDir(folder.path()).mkdir(u"o0.h"_s);
    folder.write(u"o1.h"_s, "; nothing to compare");
    folder.write(u"o3.h"_s, ";CX70v50\r\n;Choose\r\n\r\n;17337A0: 00 xx ;x-start\r\n");
    folder.write(u"o4.h"_s, ";S65v58\r\n;Clock\r\n1005: 33 5E\r\n");
    const QString longName = u"Длинное название "_s.repeated(12); // 204 characters
    QByteArray longFile = ";CX70v50\r\n;";
    encodeCodePage(longName, longFile);
    folder.write(u"o5.h"_s, longFile + "\r\n1006: 33 5E\r\n");
    Backup backup;
    ASSERT_FALSE(chooseBackup(folder.file(u"../full.bin"_s), backup));
    Status failure;
    const std::vector<EntryState> states = lookAtFiles(catalogueFiles(), Look::Start, backup, failure);
    ASSERT_FALSE(failure);
    const struct {
        std::size_t at; // in the catalogue's order: d0..d8, f0..f2, o0..o7
        EntryState::File file;
        std::optional<PatchState> state;
        QString about;
    } cases[] = {
        {9, EntryState::File::Present, PatchState::Applied, u"Патч уже есть в копии прошивки «full.bin».\n\non the phone"_s},
        {10, EntryState::File::Present, PatchState::NotApplied, u"Патча нет в копии прошивки «full.bin»,\nи он к ней подходит.\n\nfits"_s},
        {11, EntryState::File::Present, PatchState::DoesNotFit,
         u"Патч не для этой прошивки: не прошивайте его.\nВ строке 2 по адресу 00001003 он ждёт 10,\n"
         u"а в копии прошивки «full.bin» там 33.\n\nforeign"_s},
        {12, EntryState::File::NotReadable, std::nullopt, u"Не удалось прочитать o0.h: это папка, а не файл."_s},
        {13, EntryState::File::Present, PatchState::NoRecords,
         u"В патче нет записей: сверять с копией прошивки нечего.\n\nnothing to compare"_s},
        {14, EntryState::File::Missing, std::nullopt, u"Файла o2.h нет в папке программы\n"_s},
        // A patch of the collection with its records left commented out.
        {15, EntryState::File::Present, PatchState::NoRecords,
         u"Патч в таком виде ничего не меняет: его записи закомментированы или ждут значений.\n"
         u"Прочтите его описание и поправьте текст перед прошивкой.\n\nCX70v50\nChoose\n\n17337A0: 00 xx ;x-start"_s},
        // Written for another phone, and the backup says it fits this one: no
        // advice to check what the backup has checked.
        {16, EntryState::File::Present, PatchState::NotApplied,
         u"Патч написан для S65v58, а эта программа — для CX70v50.\n\nПатча нет в копии прошивки «full.bin»,\n"
         u"и он к ней подходит.\n\nS65v58\nClock"_s},
        // A name longer than a line of the description, whole.
        {17, EntryState::File::Present, PatchState::NotApplied,
         u"Патча нет в копии прошивки «full.bin»,\nи он к ней подходит.\n\nCX70v50\n"_s + longName.trimmed()},
    };
    for (const auto &c : cases) {
        const EntryState &state = states[c.at];
        EXPECT_EQ(state.file, c.file) << c.at;
        EXPECT_EQ(state.againstBackup, c.state) << c.at;
        EXPECT_TRUE(entryAbout(state).startsWith(c.about)) << entryAbout(state).toStdString();
    }
    EXPECT_EQ(states[17].header.name, longName.trimmed());

    // The backup gone: said once, and no entry has a state against it;
    // with no file to look at, nothing is checked, and nothing said.
    QFile::remove(folder.file(u"../full.bin"_s));
    EXPECT_TRUE(lookAtFiles({}, Look::Whole, backup, failure).empty());
    EXPECT_FALSE(failure);
    for (const EntryState &state : lookAtFiles(catalogueFiles(), Look::Start, backup, failure))
        EXPECT_FALSE(state.againstBackup.has_value());
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, u"файл не найден"_s);
}

// A file of a folder gone since the folder was read is no file to put in
// the program's folder.
TEST(EntryState, AFileGoneFromAFolderSaysSo)
{
    const ProgramFolder folder;
    const QString gone = QDir::toNativeSeparators(folder.root() + u"/CX70v50/101-Clock.vkp"_s);
    Status failure;
    const std::vector<EntryState> states = lookAtFiles(std::span(&gone, 1), Look::Whole, std::nullopt, failure);
    ASSERT_EQ(states.front().file, EntryState::File::Missing);
    EXPECT_EQ(entryAbout(states.front(), Listed::Folder),
              u"Файла 101-Clock.vkp больше нет в папке\n"_s + QDir::toNativeSeparators(folder.root() + u"/CX70v50"_s)
                  + u"\nЕго удалили или переименовали, после того как папка была прочитана."_s);
}

// A patch file taken off or given its old bytes: what is appended, as an
// append lays it out, or nothing and why, naming the file.
TEST(EntryEdit, AppendsTheEditedPatchOrSaysWhyNothing)
{
    const ProgramFolder folder;
    folder.write(u"o0.h"_s, ";CX70v50\r\n;Clock\r\n1000: 33 5E\r\n");
    folder.write(u"o1.h"_s, "; no header\n1010: 3333 5E5E");
    folder.write(u"o2.h"_s, "1000: 5E\r\n1010: 0102");
    folder.write(u"o3.h"_s, "1020: 33 5E");
    folder.write(u"o5.h"_s, ";CX70v50\r\n;Only words\r\n;1000: 33 5E\r\n");
    folder.write(u"o6.h"_s, ";CX70v50\r;Lone CR\r1000: 33 5E\r1001: 33 5E");
    QByteArray flash(smallestBackup, '\x33');
    flash[0x1000] = '\x5E';
    folder.write(u"full.bin"_s, flash);
    Backup backup;
    ASSERT_FALSE(chooseBackup(folder.file(u"full.bin"_s), backup));
    const auto said = [](const EditedPatch &edited) {
        return edited.failure ? edited.failure->message() : edited.appended + (edited.note.isEmpty() ? u""_s : u" | "_s + edited.note);
    };
    const QString takeOffFailed = u"Не удалось снять патч с телефона: ничего не добавлено.\n\nФайл: %1\nПричина: %2."_s;
    const QString fillFailed = u"Не удалось добавить патч со старыми байтами из копии прошивки: ничего не добавлено.\n\nФайл: %1\nПричина: %2."_s;
    const struct {
        const char *name;
        EditedPatch edited;
        QString said;
    } rows[] = {
        {"taken off, named by its header", takeOffFile(folder.file(u"o0.h"_s), std::nullopt),
         u"\r\n;CX70v50\r\n;Снимает с телефона патч «Clock»\r\n;Clock\r\n1000: 5E 33\r\n"_s},
        {"named by its first comment", takeOffFile(folder.file(u"o1.h"_s), std::nullopt),
         u"\r\n;Снимает с телефона патч «no header»\r\n; no header\r\n1010: 5E5E 3333\r\n"_s},
        {"named by its file", takeOffFile(folder.file(u"o3.h"_s), std::nullopt), u"\r\n;Снимает с телефона патч «o3.h»\r\n1020: 5E 33\r\n"_s},
        {"missing", takeOffFile(folder.file(u"o9.h"_s), backup), takeOffFailed.arg(folder.file(u"o9.h"_s), u"файл не найден"_s)},
        {"nothing but comments", takeOffFile(folder.file(u"o5.h"_s), backup),
         takeOffFailed.arg(folder.file(u"o5.h"_s), u"в нём нет ни одной записи «адрес: байты»"_s)},
        // A lone CR ends a line for the tool: each record taken off on a line of its own.
        {"lines ended by a lone CR", takeOffFile(folder.file(u"o6.h"_s), std::nullopt),
         u"\r\n;CX70v50\r\n;Снимает с телефона патч «Lone CR»\r\n;Lone CR\r\n1000: 5E 33\r\n1001: 5E 33\r\n"_s},
        {"old bytes unknown", takeOffFile(folder.file(u"o2.h"_s), std::nullopt),
         takeOffFailed.arg(folder.file(u"o2.h"_s), u"у записей в строках 1 и 2 нет старых байтов, и неизвестно, что было там до патча"_s)},
        {"only what is on the phone", takeOffFile(folder.file(u"o2.h"_s), backup),
         takeOffFailed.arg(folder.file(u"o2.h"_s), u"у записи в строке 1 нет старых байтов, и неизвестно, что было там до патча"_s)},
        {"nothing on the phone", takeOffFile(folder.file(u"o3.h"_s), backup),
         takeOffFailed.arg(folder.file(u"o3.h"_s),
                           u"ни одной его записи нет в копии прошивки «full.bin»: патча нет на телефоне, и снимать нечего"_s)},
        {"filled in", fillFromBackup(folder.file(u"o2.h"_s), backup),
         fillFailed.arg(folder.file(u"o2.h"_s), u"запись в строке 1 уже есть в копии прошивки «full.bin», а того, что было там до неё, "
                                                u"в ней нет"_s)},
        {"filled in where not on the phone", fillFromBackup(folder.file(u"o1.h"_s), backup),
         u"\r\n; no header\r\n1010: 3333 5E5E\r\n | У всех записей патча o1.h уже есть старые байты: он добавлен как есть."_s},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(said(row.edited).toStdString(), row.said.toStdString()) << row.name;
        EXPECT_FALSE(row.edited.backupFailure) << row.name;
    }
    folder.write(u"o4.h"_s, "; c\r\n1010: 0102\r\n");
    EXPECT_EQ(said(fillFromBackup(folder.file(u"o4.h"_s), backup)), u"\r\n; c\r\n1010: 3333 0102\r\n"_s);

    // The backup gone: that is said, and nothing is appended.
    ASSERT_TRUE(QFile::remove(folder.file(u"full.bin"_s)));
    const EditedPatch gone = takeOffFile(folder.file(u"o0.h"_s), backup);
    ASSERT_TRUE(gone.backupFailure);
    EXPECT_EQ(gone.backupFailure->reason, u"файл не найден"_s);
    EXPECT_TRUE(gone.appended.isEmpty());
}
