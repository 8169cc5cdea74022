#pragma once
#include <string>
#include <string_view>

namespace tembra {

// The one or two letters that stand for a channel until its logo is there:
// the first letters of its first two words ("BBC One" -> "BO"), or the
// first two of a single word ("Eurosport" -> "EU"), upper case, digits kept
// ("Channel 4" -> "C4"); symbols and spaces are passed over. Empty for a
// name with no letter or digit.
std::u16string channelInitials(std::u16string_view name);

// A stable colour for the badge of a channel name: a hue 0..359.
int channelHue(std::u16string_view name);

}  // namespace tembra
