#pragma once
int RunCli(int argc, char** argv);
