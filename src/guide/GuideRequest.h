#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "guide/GuideCalendar.h"

namespace tembra {

// The hand-written HTTP/1.0 request of one guide day and the check of the
// reply's first block.
class GuideRequest {
 public:
  // Limits after conversion to UTF-8 (this platform's code page).
  static constexpr size_t kMaxTypeBytes = 9;
  static constexpr size_t kMaxUuidBytes = 40;
  static constexpr size_t kMaxHostBytes = 63;
  static constexpr size_t kMaxRequestBytes = 1023;

  // Whether each value fits its limit and cannot change the request's
  // shape: no control character, space or DEL in type and uuid, none but
  // printable characters in the host.
  static bool TypeFits(std::u16string_view type);
  static bool UuidFits(std::u16string_view uuid);
  static bool HostFits(std::u16string_view host);

  // The request bytes; start and end date are both the target date. Null
  // when a value does not fit: a value is never cut, which would ask for
  // something else.
  static std::optional<std::string> Format(std::u16string_view type, std::u16string_view uuid,
                                           const GuideDate& date, std::u16string_view host, uint16_t port);

  // A status line of 1 to 99 characters (the first "\r\n" at offset 1-99)
  // and "200" anywhere in the block.
  static bool IsReplyOk(std::string_view block);
};

}  // namespace tembra
