#include "foldernames.h"

#include <QFile>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

int filesNamedOtherwise(const QString &folder)
{
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    int count = 0;
    while (const dirent *entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.') || QFile::encodeName(QFile::decodeName(name)) == name)
            continue;
        // Visible files only, as the listing counts them; a link counts as what it names.
        struct stat info;
        if (fstatat(dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode))
            ++count;
    }
    closedir(dir);
    return count;
}
