#pragma once

#include "catalogue/catalogue.h"
#include "textboxholder.h"

#include <QWidget>
#include <memory>

struct Failure;

namespace Ui {
class MainWindow;
}

// The program's one window: the catalogue in three tabs above the patch text.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private:
    void fillCatalogue();
    void appendFrom(Category category, int index);
    void clearPatch();
    void handOver();
    void report(const Failure &failure);

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<TextBoxHolder> m_patchText;
};
