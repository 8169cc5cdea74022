// Linked into the test programs that host the web engine (the ad pane, the
// idle page, the skin's web view). The engine frees some of its own objects
// through a pointer to a smaller base type, which the address sanitizer's
// new/delete size check reports from inside the engine on every run. That
// one check is off in these programs; every other check stays on, and
// their leaks are checked against tests/sanitizer/lsan.supp.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
