// Numbers read from and written to fixed columns, always with "." as the
// decimal point whatever the user's locale (the desktop toolkit may set one).
#pragma once

#include <string>
#include <string_view>

namespace orbivane {

// The C library's atoi on the text: leading white space, an optional sign, the
// digits that follow; 0 without a digit. Values beyond int saturate.
int ParseLeadingInt(std::string_view text);

// The C library's atof restricted to decimal numbers: leading white space, an
// optional sign, digits with an optional fraction, an optional exponent; 0
// without a digit. Correctly rounded; overflow gives an infinity.
double ParseLeadingDouble(std::string_view text);

// Appends what printf's "%<width>.<precision>f" prints for the value.
void AppendFixed(std::string& out, double value, int width, int precision);
// Appends what printf's "%<width>d" prints for the value.
void AppendInt(std::string& out, long long value, int width);

}  // namespace orbivane
