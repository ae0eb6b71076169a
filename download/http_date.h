// HTTP dates (IMF-fixdate, "Sun, 06 Dec 2026 10:00:00 GMT") to and from
// seconds since 1970, UTC, without the C library's time zone state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orbivane {

std::string FormatHttpDate(std::int64_t seconds);
// nullopt for anything but an IMF-fixdate.
std::optional<std::int64_t> ParseHttpDate(const std::string& text);
// "2026-12-06".
std::string FormatDay(std::int64_t seconds);

}  // namespace orbivane
