// Under the address sanitizer: the web engine's own allocator mismatches
// (the logo page), and what it, fontconfig (the overlay's fonts) and udev
// keep until the process ends, are theirs, not the player's.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\nleak:libudev.so\n";
}
