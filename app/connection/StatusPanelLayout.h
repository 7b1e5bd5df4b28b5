#pragma once

#include <QRect>
#include <vector>

// One visible sub-panel of the status panel: its lowest allowed row and the
// geometries of its child controls, in child order.
struct TStatusFlowPanel {
    int Tag = 0;
    std::vector<QRect> Children;
};

// Where the flow layout puts the sub-panels and their children.
struct TStatusFlowResult {
    std::vector<QRect> Panels;                 // in the order given
    std::vector<std::vector<QRect>> Children;  // children moved apart
    int Rows = 0;
    int Height = 3;  // of the status panel
};

// The status panel's flow layout: sub-panels in tab order, one row height
// for all, a new row when the next one does not fit or its Tag asks for a
// lower row; the last one on each row is stretched to the panel's width - 3.
TStatusFlowResult LayOutStatusPanels(const std::vector<TStatusFlowPanel>& panels, int panelWidth);
