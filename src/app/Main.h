#pragma once

// The program's entry point: start-up in its order, then the event loop.
int Main(int argc, char **argv);
