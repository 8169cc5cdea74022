#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// A calendar date as the guide request carries it ("YYYY-MM-DD").
struct CivilDate {
  int year = 1970;
  int month = 1;
  int day = 1;

  // Strict "YYYY-MM-DD" (a one-digit month or day is taken too); nullopt for
  // anything that is not a real date.
  static std::optional<CivilDate> Parse(std::string_view text);
  static CivilDate Today();  // local time
  static int DaysInMonth(int year, int month);

  CivilDate Next() const;
  // Days from *this to other (other - this).
  long DaysUntil(const CivilDate& other) const;
  std::string Text() const;  // "YYYY-MM-DD"
};

}  // namespace tembra
