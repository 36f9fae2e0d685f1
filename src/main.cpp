#include "shell/modmain.h"

int main(int argc, char **argv) { return modmain::Main(argc, argv); }
