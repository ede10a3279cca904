// Windows' own path rules, as the Win32 documentation gives them; built for
// Windows only.
#include "runtime/scriptfolder.h"
#include "runtime/win32path.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A path of exactly `length` characters under `start`.
QString pathOf(const QString &start, int length)
{
    return start + QString(length - start.size(), u'a');
}

} // namespace

TEST(WindowsPath, NetworkFoldersInEitherFormAreToldFromLocalOnes)
{
    const struct {
        QString path;
        bool network;
    } cases[] = {
        {u"\\\\server\\share\\kelvarine"_s, true},
        {u"\\\\?\\UNC\\server\\share\\kelvarine"_s, true},
        {u"\\\\?\\unc\\server\\share\\kelvarine"_s, true},
        {u"C:\\V_klay\\kelvarine"_s, false},
        {u"Z:\\kelvarine"_s, false}, // a share mapped as a drive, which cmd.exe takes
        {u"\\\\?\\C:\\V_klay\\kelvarine"_s, false},
        {u"\\\\.\\C:\\V_klay\\kelvarine"_s, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isNetworkPath(c.path), c.network) << c.path.toStdString();
}

// SetCurrentDirectory takes MAX_PATH - 2 characters without the final backslash.
TEST(WindowsPath, CmdStandsInAFolderOfAtMost258CharactersOrInItsShortName)
{
    const QString shortOne = u"C:\\KELVAR~1"_s;
    enum Expected { Itself, ShortName, Refused };
    const struct {
        int length;
        bool volumeKeepsShortNames;
        Expected expected;
    } cases[] = {
        {258, true, Itself},
        {259, true, ShortName},
        {400, true, ShortName},
        {259, false, Refused},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.length);
        const QString path = pathOf(u"C:\\"_s, c.length);
        const auto shortName = [&](const QString &folder) { return c.volumeKeepsShortNames ? shortOne : folder; };
        const std::optional<QString> expected[] = {path, shortOne, std::nullopt};
        EXPECT_EQ(cmdFolder(path, shortName), expected[c.expected]);
    }
}

// Past MAX_PATH - 12 characters (CreateDirectoryW's limit), the \\?\ form:
// \\?\C:\... for a drive, \\?\UNC\server\share\... for a share.
TEST(WindowsPath, ALongPathGetsTheLongFormOfItsKind)
{
    const QString longLocal = pathOf(u"C:\\V_klay\\"_s, 300);
    const QString longShare = pathOf(u"\\\\server\\share\\"_s, 300);
    const struct {
        QString path;
        QString expected;
    } cases[] = {
        {u"C:/V_klay/kelvarine"_s, u"C:\\V_klay\\kelvarine"_s},
        {pathOf(u"C:\\"_s, 247), pathOf(u"C:\\"_s, 247)},
        {longLocal, u"\\\\?\\"_s + longLocal},
        {u"\\\\server\\share\\kelvarine"_s, u"\\\\server\\share\\kelvarine"_s},
        {longShare, u"\\\\?\\UNC\\server\\share\\"_s + longShare.mid(15)},
        {u"\\\\?\\"_s + longLocal, u"\\\\?\\"_s + longLocal},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QString::fromStdWString(win32Path(c.path)), c.expected) << c.path.toStdString();
}
