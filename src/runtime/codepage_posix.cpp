#include "codepage.h"

#include <QStringDecoder>

namespace {
constexpr const char *codePageName = "windows-1251";
}

// Qt converts it only when built with ICU.
bool codePageAvailable()
{
    return QStringDecoder(codePageName).isValid();
}

QString decodeWithSystem(QByteArrayView bytes)
{
    QStringDecoder decoder(codePageName, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}
