#pragma once

// What process_windows.cpp decides about the folder cmd.exe is to run a
// script in, as plain functions of its path, so the tests can ask them.

#include <QString>
#include <functional>
#include <optional>

// Whether `nativePath` lies on a network share (\\server\share\... or its long
// form \\?\UNC\server\share\...): cmd.exe cannot stand in one and falls back
// to the Windows folder, where the script is not.
bool isNetworkPath(const QString &nativePath);

// The name cmd.exe can stand in for the folder `nativePath`: the path itself
// when it is short enough, else the folder's short (8.3) name as `shortName`
// gives it, or nothing when that is too long as well.
std::optional<QString> cmdFolder(const QString &nativePath, const std::function<QString(const QString &)> &shortName);
