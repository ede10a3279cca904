#pragma once

#include "catalogue/catalogue.h"
#include "textboxholder.h"

#include <QWidget>
#include <array>
#include <memory>

class QListWidget;

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

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillCatalogue();
    void checkPatchFiles();
    void appendFrom(Category category, int index);
    void clearPatch();
    void handOver();
    void report(const Failure &failure);

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<TextBoxHolder> m_patchText;
    std::array<QListWidget *, 3> m_lists{}; // in the order of Category
    bool m_filesMayHaveChanged = false;
};
