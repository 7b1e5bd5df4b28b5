#pragma once

// The program: one copy per user, the forms in their order, the start-up
// work, the event loop until the main window closes. Returns 0 always.
int RunTrellavox(int argc, char** argv);
