#include "findings.h"

#include <algorithm>

namespace {

Finding finding(FindingKind kind, Mark from, qsizetype to, std::array<qint64, 2> numbers = {})
{
    return {kind, from.line, from.column, from.at, to - from.at, numbers};
}

} // namespace

void Findings::error(FindingKind kind, Mark from, qsizetype to, std::array<qint64, 2> numbers)
{
    if (m_failed)
        return;
    m_failed = true;
    m_doubts.clear();
    m_all.push_back(finding(kind, from, to, numbers));
}

void Findings::errorToStatementEnd(FindingKind kind, Mark from)
{
    if (m_failed)
        return;
    error(kind, from, from.at);
    m_openError = m_all.size() - 1;
}

void Findings::doubt(FindingKind kind, Mark from, qsizetype to)
{
    if (!m_failed)
        m_doubts.push_back(finding(kind, from, to));
}

void Findings::standalone(FindingKind kind, Mark from, qsizetype to)
{
    m_all.push_back(finding(kind, from, to));
}

void Findings::keep(qsizetype contentEnd)
{
    if (m_openError) {
        Finding &error = m_all[*m_openError];
        error.length = std::max<qsizetype>(0, contentEnd - error.at);
        m_openError.reset();
    }
    m_all.insert(m_all.end(), m_doubts.begin(), m_doubts.end());
    m_doubts.clear();
}

std::vector<Finding> Findings::take()
{
    std::stable_sort(m_all.begin(), m_all.end(), [](const Finding &a, const Finding &b) { return a.at < b.at; });
    return std::move(m_all);
}
