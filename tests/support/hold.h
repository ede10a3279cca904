#pragma once

#include <QString>

// Keeps a file open as a program that shares nothing with others does, for as
// long as it lives. Only Windows has such holds; elsewhere held() is false.
class ExclusiveHold
{
public:
    explicit ExclusiveHold(const QString &path);
    ~ExclusiveHold();
    ExclusiveHold(const ExclusiveHold &) = delete;
    ExclusiveHold &operator=(const ExclusiveHold &) = delete;

    bool held() const { return m_handle != nullptr; }

private:
    void *m_handle = nullptr;
};
