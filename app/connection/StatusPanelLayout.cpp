#include "app/connection/StatusPanelLayout.h"

#include <algorithm>

namespace {

constexpr int kMargin = 3;

// Moves a child that lies left of the children before it behind them and
// returns the content size.
QSize ContentSize(std::vector<QRect>& children)
{
    int right = 0;
    int bottom = 0;
    for (QRect& child : children) {
        const int childRight = child.left() + child.width();
        if (childRight < right)
            child.moveLeft(right + 5);
        right = std::max(right, child.left() + child.width() + 2);
        bottom = std::max(bottom, child.top() + child.height() + 1);
    }
    return {right, bottom};
}

void StretchToEdge(QRect& panel, int panelWidth)
{
    panel.setWidth(std::max(0, panelWidth - kMargin - panel.left()));
}

}  // namespace

TStatusFlowResult LayOutStatusPanels(const std::vector<TStatusFlowPanel>& panels, int panelWidth)
{
    TStatusFlowResult result;
    if (panels.empty())
        return result;

    std::vector<int> widths;
    int rowHeight = 0;
    for (const TStatusFlowPanel& panel : panels) {
        result.Children.push_back(panel.Children);
        const QSize size = ContentSize(result.Children.back());
        widths.push_back(size.width());
        rowHeight = std::max(rowHeight, size.height());
    }

    int row = 0;
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const int width = widths[i];
        int left = kMargin;
        if (i > 0) {
            QRect& previous = result.Panels.back();
            const int candidate = previous.left() + previous.width() + 1;
            if (candidate + width <= panelWidth && panels[i].Tag <= row) {
                left = candidate;
            } else {
                StretchToEdge(previous, panelWidth);
                ++row;
            }
        }
        result.Panels.emplace_back(left, (rowHeight + 2) * row + kMargin, width, rowHeight);
    }
    StretchToEdge(result.Panels.back(), panelWidth);
    result.Rows = row + 1;
    result.Height = result.Rows * (rowHeight + 2) + kMargin;
    return result;
}
