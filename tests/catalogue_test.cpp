#include "catalogue/catalogue.h"

#include "support/printers.h"
#include "support/programfolder.h"

#include <gtest/gtest.h>

TEST(Catalogue, NamesFilesByPrefixAndIndexNeverByCaption)
{
    const ProgramFolder folder(QStringLiteral("папка с $(echo x) \"кавычками\""));
    struct Case {
        Category category;
        int index;
        const char *name;
    } cases[] = {
        {Category::Del, 0, "d0.h"},
        {Category::Del, 8, "d8.h"},
        {Category::Fast, 2, "f2.h"},
        {Category::Other, 4, "o4.h"}, // "Сжатие фото 100%"
        {Category::Del, -1, "d-1.h"},
        {Category::Fast, -1, "f-1.h"},
        {Category::Other, -1, "o-1.h"},
        {Category::Del, 10, "d10.h"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PatchFilePath(c.category, c.index), folder.file(QLatin1String(c.name)));
}

TEST(Catalogue, HoldsTwentyEntriesInTabOrder)
{
    const auto catalogue = patchCatalogue();
    ASSERT_EQ(catalogue.size(), 3u);
    EXPECT_EQ(catalogue[0].entries.size(), 9u);
    EXPECT_EQ(catalogue[1].entries.size(), 3u);
    EXPECT_EQ(catalogue[2].entries.size(), 8u);
    for (std::size_t i = 0; i < catalogue.size(); ++i)
        EXPECT_EQ(&patchCategory(catalogue[i].category), &catalogue[i]);

    // The soft-key entry stands last; captions keep their blanks and backslashes.
    const auto del = patchCategory(Category::Del).entries;
    EXPECT_EQ(del[8], u"Убрать софткнопки с экрана и опустить время дату вниз");
    EXPECT_EQ(del[0], u"Убрать <Все сигналы вкл\\выкл> ");
}
