#include "runtime/qtcatalogue.h"
#include "support/offscreen.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    // Qt's own words as the program shows them.
    loadQtRussian(qtCatalogueFolder());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
