#include "cataloguetabs.h"

#include <QProxyStyle>
#include <QTabBar>

namespace {

// Tabs padded less than the style's default, so that the four captions fit
// the window's width in one row.
class CompactTabs : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? value / 2 : value;
    }
};

} // namespace

CatalogueTabs::CatalogueTabs(QWidget *parent)
    : QTabWidget(parent)
{
    auto *compact = new CompactTabs;
    compact->setParent(tabBar());
    tabBar()->setStyle(compact);
}
