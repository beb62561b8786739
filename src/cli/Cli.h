#pragma once
// Runs one command line; the units must be started. Returns the exit status.
int RunCli(int argc, char** argv);
