// Tarnik's side of bench_window_open: the program's own entry, with the first-paint probe.

#include "WindowOpenProbe.h"
#include "shell/TarnikEntry.h"

int main(int argc, char **argv) {
  return tarnik::runTarnik(argc, argv, {}, &tarnik::bench::FirstPaintProbe::install);
}
