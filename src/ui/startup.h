#pragma once

class QWidget;

// Every start warns that the user acts at his own risk, before the window shows.
void startUp(QWidget &window);
