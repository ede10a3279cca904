#pragma once

#include <QString>
#include <span>
#include <vector>

// The three categories, in tab order.
enum class Category { Del, Fast, Other };

struct PatchCategory {
    Category category;
    QStringView tabCaption;
    QStringView listName; // object name of the list that shows the entries
    QChar filePrefix;
    std::span<const QStringView> entries; // an entry's position is its index
};

// The fixed catalogue, in tab order.
std::span<const PatchCategory> patchCatalogue();
const PatchCategory &patchCategory(Category category);

// The patch file of an entry: program directory, separator, prefix, index, ".h".
// Index -1 (no entry) names a file like d-1.h that is never installed.
QString PatchFilePath(Category category, int index);

// Every entry's patch file, in the order of the catalogue.
std::vector<QString> catalogueFiles();
