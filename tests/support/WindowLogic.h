// The windows' logic tests share the modifier states and the check that controls lie inside and apart.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/support/FormDesign.h"

namespace support {
// Failures then read as rectangles rather than bytes.
inline void PrintTo(const TwipsRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}
}  // namespace support

namespace testsupport {

inline const support::Modifiers kNone{}, kShift{true, false, false}, kCtrl{false, true, false},
    kCtrlShift{true, true, false}, kAlt{false, false, true};

inline bool Overlap(const support::TwipsRect& a, const support::TwipsRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

inline void ExpectInsideAndApart(const std::vector<support::TwipsRect>& controls, const support::TwipsRect& area,
                                 const std::string& what) {
    for (size_t i = 0; i < controls.size(); ++i) {
        const support::TwipsRect& r = controls[i];
        EXPECT_TRUE(r.width > 0 && r.height > 0) << what << ": control " << i << " has no room";
        EXPECT_TRUE(r.left >= area.left && r.top >= area.top && r.left + r.width <= area.left + area.width &&
                    r.top + r.height <= area.top + area.height)
            << what << ": control " << i << " outside";
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(Overlap(r, controls[j])) << what << ": controls " << i << " and " << j << " overlap";
    }
}

}  // namespace testsupport
