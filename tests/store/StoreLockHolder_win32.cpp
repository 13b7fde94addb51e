#include <windows.h>

#include <cstdio>
#include <exception>

#include "store/StoreLock.h"

// Takes the writer lock of the store whose data folder is its argument, says so with one
// "L" on its standard output, and holds the lock until it is killed: the other process
// that the store lock tests stand against.
int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: store_lock_holder DATA-FOLDER\n", stderr);
    return 2;
  }
  try {
    const orvel::StoreLock lock(argv[1]);
    std::fputs("L", stdout);
    std::fflush(stdout);
    ::Sleep(INFINITE);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
  return 3;
}
