#pragma once

#include "finding.h"

#include <optional>
#include <vector>

// Where the scanner stands: in the text, and as a person counts.
struct Mark {
    qsizetype at;
    int line;
    int column;
};

// The findings of a text as it is read, a statement at a time. The tool skips
// a line it cannot read, so only a statement's first error counts, and its
// doubts go with it; comments out of place and a lone CR count whatever the
// line.
class Findings
{
public:
    void startStatement()
    {
        m_failed = false;
        if (!m_doubts.empty())
            m_doubts.clear();
    }
    bool failed() const { return m_failed; }
    void error(FindingKind kind, Mark from, qsizetype to, std::array<qint64, 2> numbers = {});
    // An error whose span runs to where the statement ends, which is known
    // only once the rest of the line is passed.
    void errorToStatementEnd(FindingKind kind, Mark from);
    void doubt(FindingKind kind, Mark from, qsizetype to);
    // Kept whatever becomes of the statement.
    void standalone(FindingKind kind, Mark from, qsizetype to);
    // `contentEnd`: where the statement's last character that is neither blank
    // nor comment ends.
    void endStatement(qsizetype contentEnd)
    {
        if (m_openError || !m_doubts.empty())
            keep(contentEnd);
    }
    // In the order of the text.
    std::vector<Finding> take();

private:
    void keep(qsizetype contentEnd);

    std::vector<Finding> m_all;
    std::vector<Finding> m_doubts;
    bool m_failed = false;
    std::optional<std::size_t> m_openError; // in m_all, its span still to end
};
