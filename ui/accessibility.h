#pragma once

namespace quillmere {

struct DialogControls;
struct Form1Controls;

// What assistive technology says of each control: its name and, where the
// caption alone would not tell, what it does.
void describeForm1Controls(const Form1Controls& controls);
void describeDialogControls(const DialogControls& controls);

// Presents the main window as a window, the drive list under its name, the progress bar as one, the status
// text as a status bar, and the directory text field as off screen while it lies beyond the window's edge.
// Affects only the controls created afterwards.
void installAccessibleInterfaces();

}  // namespace quillmere
