#pragma once

// SIGTERM, SIGINT and SIGHUP set the run mode to Quit, like a key press, so that a launcher
// that ends the program still gets the full shutdown (gamma ramp and display mode restored).
void InstallQuitSignals();
