#include "cli/Cli.h"
int RunCli(int, char**) { return 0; }
