#pragma once

#include <QByteArray>
#include <QtGlobal>

// Windows go to the offscreen platform unless QT_QPA_PLATFORM says otherwise;
// call before the application object exists. Test discovery runs the test
// binaries at build time, outside ctest's environment, so they set it themselves.
inline void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
