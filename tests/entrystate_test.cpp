#include "entries/entrystate.h"

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
    };
#ifndef Q_OS_WIN
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.file(u"d4.h"_s)).constData(), 0600), 0);
    cases.push_back({4, EntryState::File::NotReadable, u"Не удалось прочитать d4.h: это не обычный файл (канал или устройство)."_s});
#endif
    const std::vector<EntryState> states = lookAtEntries();
    ASSERT_EQ(states.size(), 20u);
    for (const Case &c : cases) {
        const EntryState &state = states[std::size_t(c.index)];
        EXPECT_EQ(state.file, c.file) << c.index;
        EXPECT_EQ(entryAbout(state), c.about);
    }
}
