#include "program.h"
#include "runtime/codepage.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return runProgram(codePageAvailable());
}
