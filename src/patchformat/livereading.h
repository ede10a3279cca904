#pragma once

#include "patchreader.h"

#include <QString>
#include <memory>
#include <vector>

// A patch text read again after each edit, only where the edit reached.
// The text is read in chunks, each beginning after an empty line where
// nothing of the lines above is in force (no offset or pragma left on, no
// comment open): there the tool reads on as at the start of a text, so a
// chunk the edit did not touch keeps its reading. Appended patches each begin
// after an empty line, and mostly end what they turned on.
class LiveReading
{
public:
    // `text` read as readPatchText reads it, with the records' bytes; a
    // reading given out is never changed.
    std::shared_ptr<const PatchReading> read(QStringView text);

private:
    struct Chunk {
        qsizetype size;
        int lineBreaks;
        bool clean; // ends after an empty line with nothing in force
        PatchReading reading; // read alone: lines from 1, positions from 0
    };

    Chunk readChunk(QStringView text, qsizetype from, qsizetype to) const;
    void join(QStringView text);

    QString m_text; // as last read
    std::vector<Chunk> m_chunks;
    std::shared_ptr<const PatchReading> m_reading;
};
