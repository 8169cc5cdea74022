#include "player/MpvLibrary.h"

#include <mpv/client.h>
#include <mpv/render.h>

#include <dlfcn.h>

#include <atomic>
#include <mutex>

namespace tembra {

namespace {

struct Library {
  std::once_flag once;
  std::atomic<void*> handle{nullptr};
  std::mutex errorLock;
  std::string error;  // guarded by errorLock
};

Library& library() {
  static Library lib;
  return lib;
}

}  // namespace

bool MpvLibrary::load() {
  Library& lib = library();
  std::call_once(lib.once, [&lib] {
    std::string failures;
    for (const char* name : kNames) {
      // Local: nothing else in the process is to bind to its symbols.
      if (void* h = ::dlopen(name, RTLD_NOW | RTLD_LOCAL)) {
        lib.handle.store(h);
        return;
      }
      const char* why = ::dlerror();
      if (!failures.empty()) failures += "; ";
      failures += why != nullptr ? why : name;
    }
    std::lock_guard<std::mutex> hold(lib.errorLock);
    lib.error = failures;
  });
  return lib.handle.load() != nullptr;
}

bool MpvLibrary::loaded() { return library().handle.load() != nullptr; }

std::string MpvLibrary::error() {
  Library& lib = library();
  std::lock_guard<std::mutex> hold(lib.errorLock);
  return lib.error;
}

void* MpvLibrary::symbol(const char* name) {
  if (!load()) return nullptr;
  return ::dlsym(library().handle.load(), name);
}

}  // namespace tembra

// Each function looks its target up once; a missing one gives the fallback.
#define TEMBRA_MPV_FORWARD(name, fallback, ...)                                                            \
  static const auto target = reinterpret_cast<decltype(&::name)>(tembra::MpvLibrary::symbol(#name));     \
  if (target == nullptr) return fallback;                                                                  \
  return target(__VA_ARGS__)

#define TEMBRA_MPV_FORWARD_VOID(name, ...)                                                                 \
  static const auto target = reinterpret_cast<decltype(&::name)>(tembra::MpvLibrary::symbol(#name));     \
  if (target != nullptr) target(__VA_ARGS__)

extern "C" {

mpv_handle* mpv_create(void) { TEMBRA_MPV_FORWARD(mpv_create, nullptr); }

int mpv_initialize(mpv_handle* ctx) { TEMBRA_MPV_FORWARD(mpv_initialize, MPV_ERROR_UNINITIALIZED, ctx); }

void mpv_terminate_destroy(mpv_handle* ctx) { TEMBRA_MPV_FORWARD_VOID(mpv_terminate_destroy, ctx); }

const char* mpv_error_string(int error) {
  TEMBRA_MPV_FORWARD(mpv_error_string, "the player library could not be loaded", error);
}

void mpv_free(void* data) { TEMBRA_MPV_FORWARD_VOID(mpv_free, data); }

void mpv_free_node_contents(mpv_node* node) { TEMBRA_MPV_FORWARD_VOID(mpv_free_node_contents, node); }

int mpv_set_option_string(mpv_handle* ctx, const char* name, const char* data) {
  TEMBRA_MPV_FORWARD(mpv_set_option_string, MPV_ERROR_UNINITIALIZED, ctx, name, data);
}

int mpv_command(mpv_handle* ctx, const char** args) { TEMBRA_MPV_FORWARD(mpv_command, MPV_ERROR_UNINITIALIZED, ctx, args); }

int mpv_command_async(mpv_handle* ctx, uint64_t reply_userdata, const char** args) {
  TEMBRA_MPV_FORWARD(mpv_command_async, MPV_ERROR_UNINITIALIZED, ctx, reply_userdata, args);
}

int mpv_command_node(mpv_handle* ctx, mpv_node* args, mpv_node* result) {
  TEMBRA_MPV_FORWARD(mpv_command_node, MPV_ERROR_UNINITIALIZED, ctx, args, result);
}

int mpv_set_property(mpv_handle* ctx, const char* name, mpv_format format, void* data) {
  TEMBRA_MPV_FORWARD(mpv_set_property, MPV_ERROR_UNINITIALIZED, ctx, name, format, data);
}

int mpv_set_property_string(mpv_handle* ctx, const char* name, const char* data) {
  TEMBRA_MPV_FORWARD(mpv_set_property_string, MPV_ERROR_UNINITIALIZED, ctx, name, data);
}

int mpv_set_property_async(mpv_handle* ctx, uint64_t reply_userdata, const char* name, mpv_format format, void* data) {
  TEMBRA_MPV_FORWARD(mpv_set_property_async, MPV_ERROR_UNINITIALIZED, ctx, reply_userdata, name, format, data);
}

int mpv_get_property(mpv_handle* ctx, const char* name, mpv_format format, void* data) {
  TEMBRA_MPV_FORWARD(mpv_get_property, MPV_ERROR_UNINITIALIZED, ctx, name, format, data);
}

int mpv_observe_property(mpv_handle* mpv, uint64_t reply_userdata, const char* name, mpv_format format) {
  TEMBRA_MPV_FORWARD(mpv_observe_property, MPV_ERROR_UNINITIALIZED, mpv, reply_userdata, name, format);
}

mpv_event* mpv_wait_event(mpv_handle* ctx, double timeout) {
  // Without the library there is never an event: callers stop at NONE.
  static mpv_event none{};
  TEMBRA_MPV_FORWARD(mpv_wait_event, &none, ctx, timeout);
}

void mpv_wakeup(mpv_handle* ctx) { TEMBRA_MPV_FORWARD_VOID(mpv_wakeup, ctx); }

int mpv_render_context_create(mpv_render_context** res, mpv_handle* mpv, mpv_render_param* params) {
  TEMBRA_MPV_FORWARD(mpv_render_context_create, MPV_ERROR_UNINITIALIZED, res, mpv, params);
}

void mpv_render_context_set_update_callback(mpv_render_context* ctx, mpv_render_update_fn callback,
                                            void* callback_ctx) {
  TEMBRA_MPV_FORWARD_VOID(mpv_render_context_set_update_callback, ctx, callback, callback_ctx);
}

uint64_t mpv_render_context_update(mpv_render_context* ctx) { TEMBRA_MPV_FORWARD(mpv_render_context_update, 0, ctx); }

int mpv_render_context_render(mpv_render_context* ctx, mpv_render_param* params) {
  TEMBRA_MPV_FORWARD(mpv_render_context_render, MPV_ERROR_UNINITIALIZED, ctx, params);
}

void mpv_render_context_free(mpv_render_context* ctx) { TEMBRA_MPV_FORWARD_VOID(mpv_render_context_free, ctx); }

}  // extern "C"
