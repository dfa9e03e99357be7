#pragma once

// The look-and-feel defaults, applied before any window exists.
void ApplyLookAndFeelDefaults();

// Creates every window of the program in its order; each lives for the whole run.
void CreateForms();
// Destroys them again, in reverse order.
void DestroyForms();

// Closing the main window ends the message loop; the other windows stay as they are, and
// their close handlers do not run.
void EndProgramWhenMainWindowCloses();

// The program block: application, windows, message loop.
int RunProgram(int argc, char** argv);
