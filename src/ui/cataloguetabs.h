#pragma once

#include <QTabWidget>

// The four tabs as the window shows them: their captions in one row, and as
// tall as the window's grid makes them, whatever the folder's page would
// take to show its count line unwrapped.
class CatalogueTabs : public QTabWidget
{
public:
    explicit CatalogueTabs(QWidget *parent = nullptr);

    bool hasHeightForWidth() const override { return false; }
};
