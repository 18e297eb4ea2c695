// The dashboard at the left of the screen: panel, labels, gear gate, damage bar and dials.
#pragma once

class Car;

void toolbarObjects();        // compile the panel, needle and label lists (prints its progress line)
void drawToolBar(Car& car);   // panel, labels and the four live gauges; applies the frame's damage
