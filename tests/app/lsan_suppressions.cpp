// The system's font configuration library keeps caches for the whole process; they are not leaks
// of this program.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
