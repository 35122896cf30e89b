// mendrix-cli: the patch library from a terminal, on the system's files.
#include "cli/Commands.h"

int main(int argc, char** argv) { return cli::Main(argc, argv, kdx::SystemFiles()); }
