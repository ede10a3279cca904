#pragma once

class QWidget;

// Shows `widget` and runs the event loop until its window is exposed and
// painted; false if that takes longer than five seconds.
bool showUntilExposed(QWidget &widget);
