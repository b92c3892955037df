#pragma once

class QWidget;

// Gives the application its icon once window has first been painted.
void setIconOncePainted(QWidget& window);
