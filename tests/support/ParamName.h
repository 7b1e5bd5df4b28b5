#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

// Names a value-parameterised case from its printed form (its PrintTo), so the
// test list reads "07_0_255_write_300" instead of a dump of the object's bytes.
// The index keeps two cases that print alike apart.
inline std::string ParamNameFrom(std::size_t index, const std::string& printed)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02zu", index);
    std::string name = prefix;
    bool gap = true;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        const char c = printed[i];
        if (name.size() >= 48)
            break;
        if (c == '-' && i + 1 < printed.size() && std::isdigit(static_cast<unsigned char>(printed[i + 1]))) {
            name += gap ? "_minus" : "minus";
            gap = false;
        } else if (std::isalnum(static_cast<unsigned char>(c))) {
            if (gap)
                name += '_';
            name += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return name;
}

struct PrintedParamName {
    template <class P> std::string operator()(const ::testing::TestParamInfo<P>& info) const
    {
        return ParamNameFrom(info.index, ::testing::PrintToString(info.param));
    }
};
