#include "shell/TarnikEntry.h"

int main(int argc, char **argv) { return tarnik::runTarnik(argc, argv); }
