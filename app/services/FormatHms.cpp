#include "app/services/FormatHms.h"

QString FormatHms(std::uint64_t seconds)
{
    return QString::asprintf("%.2llu:%.2llu:%.2llu", static_cast<unsigned long long>(seconds / 3600),
                             static_cast<unsigned long long>(seconds / 60 % 60),
                             static_cast<unsigned long long>(seconds % 60));
}
