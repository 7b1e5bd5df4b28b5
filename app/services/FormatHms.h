#pragma once

#include <QString>
#include <cstdint>

// A duration as "hh:mm:ss"; hours go on past 99.
QString FormatHms(std::uint64_t seconds);
