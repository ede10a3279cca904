#pragma once

#include <QtGlobal>

#ifndef Q_OS_WIN
#include <unistd.h>

// Root may read and write anywhere, so a run as root plays an ordinary user
// (nobody) while this lives; the saved ids let it become root again. Anyone
// else is ordinary already.
class OrdinaryUser
{
public:
    OrdinaryUser()
    {
        if (geteuid() != 0)
            return;
        constexpr uid_t nobody = 65534;
        m_failed = setresgid(nobody, nobody, 0) != 0;
        if (!m_failed && setresuid(nobody, nobody, 0) != 0) {
            m_failed = true;
            if (setresgid(0, 0, 0) != 0)
                qFatal("cannot take back the root group");
        }
        m_switched = !m_failed;
    }
    ~OrdinaryUser()
    {
        if (m_switched && (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0))
            qFatal("cannot become root again");
    }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

    bool failed() const { return m_failed; }
    // Whether the files made before it are another user's to it.
    bool another() const { return m_switched; }

private:
    bool m_switched = false;
    bool m_failed = false;
};
#else
// Windows keeps rights in access lists, which Wine does not enforce; a file
// marked read-only is what both have.
struct OrdinaryUser
{
    bool failed() const { return false; }
    bool another() const { return false; }
};
#endif
