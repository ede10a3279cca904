#pragma once

// Patches made up in the image of the public collection, as people have it:
// one folder for a phone and firmware, files named "<number>-<Name>.vkp" in
// Windows-1251 with CR LF, each with the collection's header; most with a few
// records, some with hundreds, one or two with thousands; a few that write
// nothing until edited, a few bundles that repeat others, and files beside
// them that are no patches. No real patch: every byte is made up.

#include <QByteArray>
#include <QString>
#include <vector>

struct MadeUpRecord {
    quint32 address;
    char old;
    char now;
};

struct MadeUpPatch {
    enum class Kind { Plain, Bundle, ChoicesCommentedOut, ValuesToFill, Attachment };
    Kind kind = Kind::Plain;
    QString fileName; // 101-Made_up_101.vkp
    QString name;     // as its header names it: Патч 101
    QString number;   // its PatchID
    QByteArray bytes;
    // What it writes, in the order of its text: a later record over an
    // earlier one expects what that one left.
    std::vector<MadeUpRecord> records;

    bool writesNothing() const { return kind != Kind::Plain && kind != Kind::Bundle; }
};

// `count` patches (238 in this phone's folder), their records inside
// `flashBytes`, each at addresses of its own but where two patches of
// free space meet. `records` caps a patch's records, so that a test stays small.
std::vector<MadeUpPatch> madeUpPatches(int count, qint64 flashBytes, int records = 6200);

// Writes the patches into `folder`, and beside them what a folder of the
// collection holds besides: an archive, a picture, an empty file, a
// download stub. How many files it wrote.
int writeMadeUp(const QString &folder, const std::vector<MadeUpPatch> &patches);

// A made-up flash for the tables: a pattern no patch byte of theirs takes
// (80..BC, 80 | (i % 61)), with 10 20 30 40 at 100, 5E 5E at 200 and FF FF
// at 300.
QByteArray patternFlash(qsizetype size);

// A full flash of `size` bytes where every record's old bytes stand, but for
// the patches `applied` names (their indexes), whose new bytes stand.
QByteArray madeUpFlash(const std::vector<MadeUpPatch> &patches, qint64 size, const std::vector<int> &applied = {});
