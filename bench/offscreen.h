#pragma once

class QWidget;

// Windows go to the offscreen platform unless QT_QPA_PLATFORM says otherwise.
// Call before the application object exists.
void preferOffscreen();

// Shows `widget` and runs the event loop until its window is exposed and
// painted; false if that takes longer than five seconds.
bool showUntilExposed(QWidget &widget);
